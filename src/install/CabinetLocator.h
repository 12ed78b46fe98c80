// Finds the cabinets a file holds. Usually one that starts at the file's
// first byte; a cabinet can also sit behind a stub or filler, and several can
// follow one another, the way cabextract finds them. A candidate counts only
// when its whole directory (header, reserved area, set names, folder and file
// entries) reads back sound, so damaged headers never reach the decompressor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CabinetLocation {
  uint64_t offset = 0;  // where the cabinet starts inside the file
  uint32_t length = 0;  // its own idea of its size
};

// Every sound cabinet in the file, in file order; empty when there is none or
// the file cannot be read.
std::vector<CabinetLocation> FindCabinets(const std::string& path);

// The stored paths of the members of every cabinet in the file, in
// directory order; empty when it holds none.
std::vector<std::string> ListCabinetMembers(const std::string& path);
