#include "cli/TerminalText.h"

#include <algorithm>

#include "infra/StringHelpers.h"

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The byte offset where the code point after the first `columns` begins.
size_t OffsetAfterColumns(const std::string& utf8, size_t columns) {
  size_t at = 0;
  for (size_t seen = 0; at < utf8.size(); ++at) {
    if (IsContinuationByte(utf8[at])) continue;
    if (seen == columns) break;
    ++seen;
  }
  return at;
}

}  // namespace

size_t ColumnCount(const std::string& utf8) {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(),
                                           [](char c) { return !IsContinuationByte(c); }));
}

std::string FitToColumns(const std::string& utf8, size_t columns) {
  if (ColumnCount(utf8) <= columns) return utf8;
  constexpr size_t kEllipsis = 3;
  if (columns <= kEllipsis) return utf8.substr(0, OffsetAfterColumns(utf8, columns));
  return utf8.substr(0, OffsetAfterColumns(utf8, columns - kEllipsis)) + "...";
}

std::string FormatBytes(uint64_t bytes) {
  if (bytes < 1024) return Format("%llu B", static_cast<unsigned long long>(bytes));
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes) / 1024.0;
  size_t unit = 0;
  // 1023.95 would print as "1024.0": the next unit reads better.
  while (value >= 1023.95 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
    value /= 1024.0;
    ++unit;
  }
  return Format("%.1f %s", value, kUnits[unit]);
}

std::string FormatDuration(int64_t seconds) {
  if (seconds < 0) return "--:--";
  const int64_t hours = seconds / 3600;
  const int64_t minutes = seconds / 60 % 60;
  const int64_t rest = seconds % 60;
  if (hours > 0)
    return Format("%lld:%02lld:%02lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(rest));
  return Format("%lld:%02lld", static_cast<long long>(minutes), static_cast<long long>(rest));
}

std::string FormatBar(int percent, size_t width) {
  if (width < 2) return std::string();
  const size_t inside = width - 2;
  const size_t filled = inside * static_cast<size_t>(std::clamp(percent, 0, 100)) / 100;
  return "[" + std::string(filled, '#') + std::string(inside - filled, '.') + "]";
}
