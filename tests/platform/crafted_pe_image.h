// A PE32+ image built to make a version-resource reader work hard: many
// sections with the resource section last, and resource directories whose
// wanted entry (RT_VERSION, name 1, the language-neutral entry) comes last of
// entriesPerDirectory. With 65,535 sections and 131,070 entries it is about
// 5.7 MB. The language-neutral entry holds the version given here; every
// other language entry leads to version 9.9.9.9, so a reader that stops at
// the first language gives the wrong answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Little-endian writes into an image, failing the test's process (through
// std::vector::at) rather than writing past its end.
void Put16(std::vector<uint8_t>& image, size_t at, uint32_t value);
void Put32(std::vector<uint8_t>& image, size_t at, uint32_t value);

std::vector<uint8_t> CraftedVersionImage(uint16_t sectionCount, uint32_t entriesPerDirectory,
                                         uint32_t mostSignificant, uint32_t leastSignificant);
