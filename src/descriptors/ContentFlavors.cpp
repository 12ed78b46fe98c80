#include "descriptors/ContentFlavors.h"

#include "platform/TextCompare.h"

std::vector<std::string> SplitFlavorList(const std::string& list) {
  const char separator = list.find(',') != std::string::npos ? ',' : ';';
  std::vector<std::string> entries;
  size_t begin = 0;
  for (;;) {
    const size_t end = list.find(separator, begin);
    entries.push_back(
        list.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  return entries;
}

bool FlavorListAccepts(const std::string& list, const std::string& flavor) {
  // A component that names no flavour belongs to all of them.
  if (flavor.empty() || list.empty()) return true;
  const std::vector<std::string> entries = SplitFlavorList(list);
  if (entries.size() == 1 && entries.front() == "*") return true;
  for (const std::string& entry : entries) {
    if (platform::CodePageEqualsNoCase(entry, flavor)) return true;
  }
  return false;
}
