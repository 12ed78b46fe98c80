#include "install/CabinetMemberPath.h"

#include "platform/TextCompare.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "..", "...", ". ." and the like: Windows trims trailing dots and blanks,
// so any of them may end up meaning the parent folder.
bool IsDotsAndBlanksOnly(const std::string& component) {
  return component.find_first_not_of(". ") == std::string::npos;
}

bool HasForbiddenCharacter(const std::string& component) {
  for (const char c : component) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
    if (std::string("<>\"|?*").find(c) != std::string::npos) return true;
  }
  return false;
}

// Windows opens the device whatever follows the name's first dot, and
// whatever blanks stand before it.
bool IsDeviceName(const std::string& component) {
  std::string base = component.substr(0, component.find('.'));
  base.erase(base.find_last_not_of(' ') + 1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (platform::CodePageEqualsNoCase(base, device)) return true;
  }
  if (base.size() < 4) return false;
  const std::string prefix = base.substr(0, 3);
  if (!platform::CodePageEqualsNoCase(prefix, "COM") &&
      !platform::CodePageEqualsNoCase(prefix, "LPT"))
    return false;
  const std::string number = base.substr(3);
  if (number.size() == 1 && number[0] >= '0' && number[0] <= '9') return true;
  // The superscript digits one to three, in the ANSI code page and in UTF-8.
  for (const char* superscript : {"\xB9", "\xB2", "\xB3", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"}) {
    if (number == superscript) return true;
  }
  return false;
}

bool IsPlainComponent(const std::string& component) {
  if (IsDotsAndBlanksOnly(component)) return false;
  const char last = component.back();
  if (last == '.' || last == ' ') return false;
  return !IsDeviceName(component) && !HasForbiddenCharacter(component);
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
    // An empty component or "." stays where it is.
    if (!component.empty() && component != "." && !IsPlainComponent(component)) return false;
    start = end + 1;
  }
  return true;
}

bool IsPlainCabinetName(const std::string& name) {
  if (name.empty() || name.find_first_of("\\/:") != std::string::npos) return false;
  return IsPlainComponent(name);
}
