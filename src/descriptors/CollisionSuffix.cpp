#include "descriptors/CollisionSuffix.h"

int CollisionSuffix::NextNumber() {
  state_ = state_ * 214013u + 2531011u;
  return static_cast<int>((state_ >> 16) & 0x7FFF);
}

std::string CollisionSuffix::Next() { return Digits(NextNumber()); }

std::string CollisionSuffix::Digits(int number) {
  // Eight significant digits without sign or point: the number's own
  // digits, then zeros.
  std::string digits = std::to_string(number < 0 ? -number : number);
  if (digits.size() < 8) digits.append(8 - digits.size(), '0');
  return digits.substr(0, 8);
}
