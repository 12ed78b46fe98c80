// The eight digits a merged section takes when its name is already used:
// a pseudo-random number from 0 to 32767 written as its digits followed by
// zeros up to eight (1234 gives "12340000", 0 gives "00000000"). The
// generator is the C runtime's: state = state * 214013 + 2531011 (modulo
// 2^32), result = (state >> 16) & 0x7FFF, seeded once per merge.
#pragma once

#include <cstdint>
#include <string>

class CollisionSuffix {
 public:
  void Seed(uint32_t seed) { state_ = seed; }
  int NextNumber();
  std::string Next();

  static std::string Digits(int number);

 private:
  uint32_t state_ = 1;
};
