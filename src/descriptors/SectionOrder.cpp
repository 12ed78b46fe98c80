#include "descriptors/SectionOrder.h"

#include "deployment/CIniFile.h"
#include "platform/TextCompare.h"

bool DescriptorSectionLess::operator()(const std::string& a, const std::string& b) const {
  return platform::CompareMultibyteNoCase(a, b) < 0;
}

DescriptorSectionNames OrderedSectionNames(const CIniFile& descriptor) {
  CIniFile::NameSet names;
  descriptor.GetSectionNames(names);
  return DescriptorSectionNames(names.begin(), names.end());
}
