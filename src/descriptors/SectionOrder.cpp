#include "descriptors/SectionOrder.h"

#include <algorithm>

#include "deployment/CIniFile.h"
#include "platform/TextCompare.h"

namespace {

// The part of name from at to its next zero byte (or its end).
std::string PartFrom(const std::string& name, size_t at) {
  return name.substr(at, std::min(name.find('\0', at), name.size()) - at);
}

}  // namespace

bool DescriptorSectionLess::operator()(const std::string& a, const std::string& b) const {
  if (a.find('\0') == std::string::npos && b.find('\0') == std::string::npos)
    return platform::CompareMultibyteNoCase(a, b) < 0;
  // The comparison ends at a zero byte, as C strings do, but a name read
  // from a file may go on after one; two names that differ only there are
  // still two sections, so the parts after each zero decide in turn.
  size_t atA = 0;
  size_t atB = 0;
  while (true) {
    const std::string partA = PartFrom(a, atA);
    const std::string partB = PartFrom(b, atB);
    const int order = platform::CompareMultibyteNoCase(partA, partB);
    if (order != 0) return order < 0;
    atA += partA.size() + 1;
    atB += partB.size() + 1;
    if (atA > a.size() || atB > b.size()) return atA > a.size() && atB <= b.size();
  }
}

DescriptorSectionNames OrderedSectionNames(const CIniFile& descriptor) {
  CIniFile::NameSet names;
  descriptor.GetSectionNames(names);
  return DescriptorSectionNames(names.begin(), names.end());
}
