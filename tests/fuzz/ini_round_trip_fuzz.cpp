// INI files: any bytes load, and what is written after loading reads back
// as the same file (load, write, load, write gives the same text twice).
// The descriptor layer then walks what was loaded, as the driver does.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "deployment/CIniFile.h"
#include "descriptors/ContentFlavors.h"
#include "descriptors/SectionOrder.h"
#include "descriptors/SetupDescriptor.h"
#include "fuzz_support.h"

namespace {

CIniFile Loaded(const std::string& text) {
  CIniFile ini;
  FUZZ_CHECK(ini.Load(FuzzScratch::Instance().WriteFile("input.ini", text)));
  return ini;
}

std::string Written(const CIniFile& ini) {
  std::ostringstream out(std::ios::binary);
  ini.WriteTo(out);
  return out.str();
}

void WalkAsDescriptor(const CIniFile& ini) {
  CIniFile::NameSet names;
  ini.GetSectionNames(names);
  const DescriptorSectionNames ordered = OrderedSectionNames(ini);
  // The walk order must not merge two sections the file keeps apart.
  FUZZ_CHECK(ordered.size() == names.size());
  for (const std::string& name : ordered) {
    if (ClassifySection(name) != DescriptorSectionKind::Component) continue;
    const ComponentSection component = ReadComponentSection(ini, name, "http://server/base/");
    SplitFlavorList(component.contentFlavors);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const CIniFile first = Loaded(BytesOf(data, size));
  WalkAsDescriptor(first);
  const std::string written = Written(first);
  const std::string rewritten = Written(Loaded(written));
#ifdef VARNIK_FUZZ_INI_ROUND_TRIP
  FUZZ_CHECK(rewritten == written);
#endif
  return 0;
}
