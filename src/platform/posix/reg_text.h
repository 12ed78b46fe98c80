// The .reg text format: the posix port keeps its hives in it, and a .reg
// file from elsewhere is imported by merging its sections into a hive.
//
// Reading accepts what regedit writes and a little more: UTF-8 (with or
// without a byte-order mark) or UTF-16LE with its mark; the
// "Windows Registry Editor Version 5.00" and "REGEDIT4" headers; "[KEY]" and
// "[-KEY]" sections; "name"=..., @=... and "name"=- lines; ";" comments,
// blank lines and "\" continuation of hex data. Anything else is refused.
//
// Values are held as RegQueryValueExA hands them out (narrow text, UTF-8
// here): hex(1), hex(2) and hex(7) data of a version 5 file is UTF-16LE in
// the file and converted on the way in and out; in a REGEDIT4 file it is
// narrow already.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace platform::posix {

struct RegTextValue {
  std::string name;     // empty for the default value ("@")
  bool remove = false;  // "name"=-
  RegistryValue value;
};

struct RegTextSection {
  // The key's components, its root first ("HKEY_CURRENT_USER", "Software").
  std::vector<std::string> key;
  bool remove = false;  // [-KEY]
  std::vector<RegTextValue> values;
};

struct RegTextDocument {
  std::vector<RegTextSection> sections;
};

struct RegTextError {
  size_t line = 0;  // 1-based line of the decoded text; 0 for the encoding
  std::string message;
};

// False, with the reason, when the text is not a well-formed .reg file.
bool ParseRegText(const std::string& bytes, RegTextDocument& document, RegTextError& error);

// A version 5 file in UTF-8 with CR LF line ends, as the hives are stored.
// Names must not hold CR or LF; string data that a quoted string cannot
// carry (line breaks, zeros, a missing terminating zero) is written as
// hex(1).
std::string FormatRegText(const RegTextDocument& document);

}  // namespace platform::posix
