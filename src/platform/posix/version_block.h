// Queries into a VS_VERSIONINFO block the way VerQueryValueA answers them:
// a path of keys from the root, separated by backslashes, such as
// StringFileInfo, 040904B0, FileVersion; each key compared without regard
// to case. The block comes from a downloaded file, so every length is
// checked against its parent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::posix {

struct VersionValue {
  bool isText = false;          // wType 1: UTF-16 text, else bytes
  std::vector<uint8_t> bytes;   // the value as stored (text: UTF-16LE)
};

// False when a key on the path is missing or the block is damaged there.
bool QueryVersionBlock(const std::vector<uint8_t>& block, const std::string& subBlock,
                       VersionValue& value);

}  // namespace platform::posix
