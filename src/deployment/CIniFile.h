// The loader's own reader and writer of INI files: every INI file it touches
// (setup descriptors, Deployments.ini, local setup info, summaries) goes
// through it. Section and key names compare without regard to case; keys are
// kept in ascending order; ";" starts a comment anywhere on a line. The whole
// file is held in memory and written back whole.
#pragma once

#include <cstddef>
#include <map>
#include <ostream>
#include <set>
#include <string>

#include "deployment/IniNames.h"
#include "deployment/SectionTable.h"
#include "platform/AtomicFileWrite.h"

class CIniFile {
 public:
  using KeyTable = IniKeyTable;
  using NameSet = IniNameSet;

  CIniFile();
  virtual ~CIniFile();
  CIniFile(const CIniFile&);
  CIniFile& operator=(const CIniFile&);

  // Merges the file's sections into this one; false (and no change) when
  // the file cannot be opened.
  bool Load(const std::string& path);
  // The name of the last section header the last Load read (empty when it
  // read none): where a line appended to that file would land.
  const std::string& LastLoadedSection() const { return lastLoadedSection_; }
  // Writes the whole content into a new file beside path, which then
  // replaces the file at path: readers see the old content or the new, never
  // part of it. False (and the old file untouched) when the file cannot be
  // created, fully written or replaced. Unflushed skips waiting for the
  // disk (see AtomicFileWrite.h): for a file saved over and over whose loss
  // costs only work.
  bool Save(const std::string& path,
            platform::SaveDurability durability = platform::SaveDurability::Flushed) const;
  // Lines end in CR LF whatever the stream's mode: give it a binary stream.
  void WriteTo(std::ostream& out) const;

  std::string GetValue(const std::string& section, const std::string& key) const;
  std::string GetValue(const std::string& key) const;  // in the current section
  std::string GetKeyAt(size_t index) const;
  std::string GetValueAt(size_t index) const;

  void SetCurrentSection(const std::string& section);
  void SetValue(const std::string& key, const std::string& value);

  size_t GetSection(const std::string& section, KeyTable& keys);
  size_t GetSectionNames(NameSet& names) const;
  void AddSection(const std::string& section, const KeyTable& keys);
  bool MergeIntoSection(const std::string& section, const KeyTable& keys);
  void RenameSection(const std::string& from, const std::string& to);
  void ReplaceInValues(const std::string& search, const std::string& replacement);
  bool HasKey(const std::string& section, const std::string& key);
  bool CollectChangedSections(const CIniFile& other, NameSet& changed) const;

 private:
  void ApplyLine(std::string& line, std::string& pendingName, KeyTable& pendingKeys);
  void CommitSection(const std::string& name, KeyTable& keys);

  std::string currentSection_;
  std::string lastLoadedSection_;
  SectionTable sections_;
};
