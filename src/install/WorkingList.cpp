#include "install/WorkingList.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>

#include "install/InstallText.h"
#include "platform/TextCompare.h"

namespace {

bool FileNameContains(const CDataStructure& record, const char* text) {
  return platform::CodePageLower(record.destinationAsWritten).find(text) != std::string::npos;
}

void MoveFirstMatchToFront(std::deque<CDataStructure>& list,
                           const std::function<bool(const CDataStructure&)>& matches) {
  const auto found = std::find_if(list.begin(), list.end(), matches);
  if (found != list.end()) std::rotate(list.begin(), found, found + 1);
}

}  // namespace

std::vector<CDataStructure> BuildWorkingList(const std::vector<CDataStructure>& records) {
  std::deque<CDataStructure> list;
  for (const CDataStructure& record : records) {
    if (!record.dotNetVersion.empty()) {
      list.push_front(record);
    } else {
      list.push_back(record);
    }
  }
  MoveFirstMatchToFront(list, [](const CDataStructure& r) { return !r.msiMarker.empty(); });
  MoveFirstMatchToFront(list, [](const CDataStructure& r) {
    return FileNameContains(r, "extensibilityapi.dll");
  });
  MoveFirstMatchToFront(list, [](const CDataStructure& r) {
    return FileNameContains(r, "registryentries.cab");
  });
  return {list.begin(), list.end()};
}
