#include "install/InstallText.h"

#include "platform/TextCompare.h"

std::string FileNamePart(const std::string& path) {
  const size_t separator = path.rfind('\\');
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string FolderPart(const std::string& path) {
  const size_t separator = path.rfind('\\');
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string LowerTail(const std::string& text, size_t n) {
  return platform::CodePageLower(text.size() > n ? text.substr(text.size() - n) : text);
}
