// The lines of a registry file, in the encoding it came in: narrow text
// (ANSI, or UTF-8 with or without a byte-order mark) or UTF-16LE after its
// byte-order mark, the way regedit exports. Substitutions are made in that
// encoding, so a UTF-16 file stays a UTF-16 file reg.exe can import.
#pragma once

#include <string>
#include <vector>

class RegistryFileText {
 public:
  // Reads every line whole, however long. False when the file cannot be
  // read.
  bool Load(const std::string& path);
  // Writes each line followed by CR LF, with the byte-order mark it was read
  // with. False when the file cannot be written whole.
  bool Save(const std::string& path) const;

  size_t LineCount() const { return utf16_ ? wideLines_.size() : lines_.size(); }
  bool LineContains(size_t line, const std::string& text) const;
  // Replaces every occurrence, case-sensitively; the texts are narrow and
  // converted for a UTF-16 file.
  void ReplaceInLine(size_t line, const std::string& search, const std::string& replacement);
  void ReplaceEverywhere(const std::string& search, const std::string& replacement);

 private:
  bool utf16_ = false;
  std::vector<std::string> lines_;
  std::vector<std::u16string> wideLines_;
};
