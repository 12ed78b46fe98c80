#include "transfer/DownloadedList.h"

#include <cstdio>
#include <mutex>

#include "deployment/CIniFile.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kSection[] = "Files";
constexpr char kLineEnd[] = "\r\n";

// What this process knows of the list it appended to last: its size and the
// line that ends it. When both are still there, the file ends in "Files"
// with a line end, and nothing needs to be read.
struct LastAppend {
  std::string path;
  long size = -1;
  std::string lastLine;
};

std::mutex& AppendLock() {
  static std::mutex lock;
  return lock;
}

LastAppend& Remembered() {
  static LastAppend remembered;
  return remembered;
}

bool EndsWith(FILE* file, long size, const std::string& tail) {
  const long length = static_cast<long>(tail.size());
  if (size < length || std::fseek(file, size - length, SEEK_SET) != 0) return false;
  std::string read(tail.size(), '\0');
  return std::fread(&read[0], 1, read.size(), file) == read.size() && read == tail;
}

// What to write before the entry when the file's end is not known: a line
// end after a torn line, and the header with the section's entries again
// when the last section is another one.
std::string Lead(FILE* file, long size, const std::string& path) {
  if (size == 0) return std::string("[") + kSection + "]" + kLineEnd;
  std::string lead;
  char last = 0;
  if (std::fseek(file, size - 1, SEEK_SET) == 0 && std::fread(&last, 1, 1, file) == 1 && last != '\n')
    lead = kLineEnd;
  CIniFile list;
  if (list.Load(path) && platform::CodePageEqualsNoCase(list.LastLoadedSection(), kSection)) return lead;
  lead += std::string("[") + kSection + "]" + kLineEnd;
  CIniFile::KeyTable entries;
  list.GetSection(kSection, entries);
  for (const auto& entry : entries) lead += entry.first + "=" + entry.second + kLineEnd;
  return lead;
}

}  // namespace

bool AppendDownloadedEntry(const std::string& path, const std::string& url,
                           const std::string& destination) {
  std::lock_guard<std::mutex> guard(AppendLock());
  LastAppend& remembered = Remembered();
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "ab+"));
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long size = std::ftell(file.get());
  if (size < 0) return false;
  const bool known = remembered.path == path && remembered.size == size &&
                     EndsWith(file.get(), size, remembered.lastLine);
  const std::string line = url + "=" + destination + kLineEnd;
  const std::string text = (known ? std::string() : Lead(file.get(), size, path)) + line;
  // Writes go to the end whatever was read ("a" mode); the seek is what
  // turns the stream from reading to writing.
  if (std::fseek(file.get(), 0, SEEK_END) != 0 ||
      std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() ||
      std::fflush(file.get()) != 0) {
    remembered = LastAppend();
    return false;
  }
  remembered = {path, size + static_cast<long>(text.size()), line};
  return true;
}
