#include "install/VersionText.h"

#include <climits>
#include <vector>

namespace {

constexpr char kWhiteSpace[] = " \t\n\v\f\r";

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

// atoi as the Windows C runtime does it: an optional sign, then digits,
// saturated at the limits of a 32-bit int; the result kept as its bits.
uint32_t ReadLikeAtoi(const std::string& piece) {
  size_t at = 0;
  bool negative = false;
  if (at < piece.size() && (piece[at] == '+' || piece[at] == '-')) negative = piece[at++] == '-';
  int64_t value = 0;
  for (; at < piece.size() && piece[at] >= '0' && piece[at] <= '9'; ++at) {
    value = value * 10 + (piece[at] - '0');
    if (value > int64_t{INT_MAX} + 1) value = int64_t{INT_MAX} + 1;
  }
  if (negative) {
    value = -value;
  } else if (value > INT_MAX) {
    value = INT_MAX;
  }
  return static_cast<uint32_t>(static_cast<int32_t>(value));
}

}  // namespace

VersionNumber ParseVersionText(const std::string& text) {
  VersionNumber number{0, 0, 0, 0};
  char separator = 0;
  for (char candidate : {'.', ',', '-', ';'}) {
    if (text.find(candidate) != std::string::npos) {
      separator = candidate;
      break;
    }
  }
  if (!separator) return number;

  size_t filled = 0;
  size_t start = 0;
  while (filled < number.size() && start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    const std::string piece = Trimmed(text.substr(start, end - start));
    if (!piece.empty()) number[filled++] = ReadLikeAtoi(piece);
    start = end + 1;
  }
  return number;
}

bool VersionMatches(const VersionNumber& expected, const VersionNumber& file) {
  if (file[2] == kLocalBuildMark || file[3] == kLocalBuildMark) return true;
  return expected == file;
}
