#include "deployment/CIniFile.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "infra/StringHelpers.h"
#include "platform/AtomicFileWrite.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kWhiteSpace[] = " \t\r\n\v\f";
constexpr char kLineEnd[] = "\r\n";

std::string Trimmed(const std::string& text, size_t begin, size_t end) {
  const size_t first = text.find_first_not_of(kWhiteSpace, begin);
  if (first == std::string::npos || first >= end) return {};
  const size_t last = text.find_last_not_of(kWhiteSpace, end - 1);
  return text.substr(first, last - first + 1);
}

bool IsFolder(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(path, attributes) &&
         (attributes & platform::kFileAttributeDirectory) != 0;
}

void AppendSection(std::string& text, const std::string& name, const IniKeyTable& keys) {
  text += '[';
  text += name;
  text += ']';
  text += kLineEnd;
  for (const auto& entry : keys) {
    text += entry.first;
    text += '=';
    text += entry.second;
    text += kLineEnd;
  }
  text += kLineEnd;
}

}  // namespace

CIniFile::CIniFile() = default;
CIniFile::~CIniFile() = default;
CIniFile::CIniFile(const CIniFile&) = default;
CIniFile& CIniFile::operator=(const CIniFile&) = default;

bool CIniFile::Load(const std::string& path) {
  // A folder opens as a stream on some systems; it is no INI file anywhere.
  if (IsFolder(path)) return false;
  // Binary, with the CR of each CR LF dropped below: the lines a Windows
  // text-mode stream gives, on every target.
  std::ifstream in(platform::ToNativePath(path), std::ios::binary);
  if (!in.good()) return false;

  std::string pendingName;
  KeyTable pendingKeys;
  std::string line;
  // Lines are read whole, however long: a long line never ends the load.
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ApplyLine(line, pendingName, pendingKeys);
  }
  lastLoadedSection_ = pendingName;
  if (!pendingName.empty()) CommitSection(pendingName, pendingKeys);
  return true;
}

void CIniFile::ApplyLine(std::string& line, std::string& pendingName, KeyTable& pendingKeys) {
  const size_t comment = line.find(';');
  if (comment != std::string::npos) line.resize(comment);
  if (line.empty()) return;

  // A line is a header or a key line, never both, so every file written
  // reads back as it was written: an "=" before the first "[" makes a key
  // line whose value may hold brackets ("Title=Setup [Beta]",
  // "Url=http://[::1]:8080/"), and a written header "[name]" always starts
  // with its "[".
  const size_t equals = line.find('=');
  const size_t open = line.find('[');
  const size_t close = line.rfind(']');
  const bool keyFirst = equals != std::string::npos && (open == std::string::npos || equals < open);
  if (!keyFirst && open != std::string::npos && close != std::string::npos && close > open) {
    // Keys met before a named header (or under "[]") go into the next
    // named section: the pending table is only started afresh on a commit.
    if (!pendingName.empty()) {
      CommitSection(pendingName, pendingKeys);
      pendingKeys.clear();
    }
    pendingName = line.substr(open + 1, close - open - 1);
    return;
  }

  if (equals != std::string::npos) {
    pendingKeys.insert_or_assign(Trimmed(line, 0, equals), Trimmed(line, equals + 1, line.size()));
  }
}

void CIniFile::CommitSection(const std::string& name, KeyTable& keys) {
  // The last occurrence of a section wins whole: its keys replace every key
  // the section held before.
  sections_.FindOrCreate(name) = std::move(keys);
}

bool CIniFile::Save(const std::string& path, platform::SaveDurability durability) const {
  // Written whole beside the file and then put in its place: a reader never
  // sees half a file, and a failed save leaves the old one.
  std::ostringstream out(std::ios::binary);
  WriteTo(out);
  return platform::WriteFileAtomically(path, out.str(), durability) == platform::kErrorSuccess;
}

void CIniFile::WriteTo(std::ostream& out) const {
  std::string text;
  sections_.ForEach([&](const std::string& name, const KeyTable& keys) {
    AppendSection(text, name, keys);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    text.clear();
  });
  out.flush();
}

std::string CIniFile::GetValue(const std::string& section, const std::string& key) const {
  const KeyTable* keys = sections_.Find(section);
  if (!keys) return {};
  const auto entry = keys->find(key);
  return entry == keys->end() ? std::string() : entry->second;
}

std::string CIniFile::GetValue(const std::string& key) const {
  return GetValue(currentSection_, key);
}

std::string CIniFile::GetKeyAt(size_t index) const {
  const KeyTable* keys = sections_.Find(currentSection_);
  if (!keys || index >= keys->size()) return {};
  return std::next(keys->begin(), static_cast<std::ptrdiff_t>(index))->first;
}

std::string CIniFile::GetValueAt(size_t index) const {
  const KeyTable* keys = sections_.Find(currentSection_);
  if (!keys || index >= keys->size()) return {};
  return std::next(keys->begin(), static_cast<std::ptrdiff_t>(index))->second;
}

void CIniFile::SetCurrentSection(const std::string& section) { currentSection_ = section; }

void CIniFile::SetValue(const std::string& key, const std::string& value) {
  sections_.FindOrCreate(currentSection_)[key] = value;
}

size_t CIniFile::GetSection(const std::string& section, KeyTable& keys) {
  const KeyTable* found = sections_.Find(section);
  if (!found) return 0;
  currentSection_ = section;
  keys = *found;
  return keys.size();
}

size_t CIniFile::GetSectionNames(NameSet& names) const {
  sections_.ForEach([&](const std::string& name, const KeyTable&) { names.insert(name); });
  return names.size();
}

void CIniFile::AddSection(const std::string& section, const KeyTable& keys) {
  if (section.empty() || sections_.Find(section)) return;
  sections_.FindOrCreate(section) = keys;
}

bool CIniFile::MergeIntoSection(const std::string& section, const KeyTable& keys) {
  KeyTable* found = sections_.Find(section);
  if (!found) return false;
  currentSection_ = section;
  for (const auto& entry : keys) (*found)[entry.first] = entry.second;
  return true;
}

void CIniFile::RenameSection(const std::string& from, const std::string& to) {
  if (sections_.Find(to)) return;
  KeyTable* source = sections_.Find(from);
  if (!source) return;
  currentSection_ = from;
  KeyTable keys = std::move(*source);
  sections_.Remove(from);
  sections_.FindOrCreate(to) = std::move(keys);
}

void CIniFile::ReplaceInValues(const std::string& search, const std::string& replacement) {
  // An empty search text occurs nowhere (and would never stop matching).
  if (search.empty()) return;
  sections_.ForEach([&](const std::string&, KeyTable& keys) {
    for (auto& entry : keys) {
      entry.second = ReplaceAll(std::move(entry.second), search, replacement);
    }
  });
}

bool CIniFile::HasKey(const std::string& section, const std::string& key) {
  const KeyTable* keys = sections_.Find(section);
  if (!keys) return false;
  currentSection_ = section;
  return keys->count(key) != 0;
}

bool CIniFile::CollectChangedSections(const CIniFile& other, NameSet& changed) const {
  sections_.ForEach([&](const std::string& name, const KeyTable& keys) {
    if (keys.empty()) return;
    const KeyTable* otherKeys = other.sections_.Find(name);
    if (!otherKeys) {
      changed.insert(name);
      return;
    }
    for (const auto& entry : keys) {
      const auto match = otherKeys->find(entry.first);
      if (match == otherKeys->end() ||
          !platform::CodePageEqualsNoCase(entry.second, match->second)) {
        changed.insert(name);
        return;
      }
    }
  });
  return !changed.empty();
}
