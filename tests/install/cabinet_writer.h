// Writes small uncompressed cabinets whose member entries the test chooses
// freely, names that no cabinet tool would store included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CraftedMember {
  std::string name;  // stored as it is
  std::string data;
  uint16_t dosDate = (29 << 9) | (2 << 5) | 6;    // 2009-02-06
  uint16_t dosTime = (10 << 11) | (42 << 5) | 7;  // 10:42:14
  uint16_t attributes = 0x20;
};

// The bytes of a one-folder cabinet holding the members in order.
std::string BuildStoredCabinet(const std::vector<CraftedMember>& members);

// A set of two stored cabinets over one member whose data runs from the
// first into the second. The first names its successor nextName, as a
// cabinet stores it; the second names "part1.cab" as its predecessor.
struct CraftedSet {
  std::string first;
  std::string second;
};
CraftedSet BuildSpannedCabinetPair(const CraftedMember& member, const std::string& nextName);
