// The folder index of each member entry of a cabinet, in directory order.
// libmspack keeps no trace of it, and it alone tells which members began in
// an earlier cabinet of a set or continue in the next one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace platform::posix {

// Reads the directory of the cabinet that starts at offset of file; false
// when it cannot be read whole or is not sound.
bool ReadMemberFolderIndices(FILE* file, int64_t offset, std::vector<uint16_t>& indices);

}  // namespace platform::posix
