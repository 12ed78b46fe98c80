#include "install/CabinetMemberPath.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "..", "...", ". ." and the like: Windows trims trailing dots and blanks,
// so any of them may end up meaning the parent folder.
bool IsDotsAndBlanksOnly(const std::string& component) {
  return component.find_first_not_of(". ") == std::string::npos;
}

}  // namespace

bool IsContainedMemberPath(const std::string& memberPath) {
  if (memberPath.empty() || IsSeparator(memberPath[0])) return false;
  if (memberPath.find(':') != std::string::npos) return false;

  size_t start = 0;
  while (start <= memberPath.size()) {
    size_t end = start;
    while (end < memberPath.size() && !IsSeparator(memberPath[end])) ++end;
    const std::string component = memberPath.substr(start, end - start);
    if (!component.empty() && component != "." && IsDotsAndBlanksOnly(component)) return false;
    start = end + 1;
  }
  return true;
}
