// Text for a terminal line: UTF-8 fitted to a number of columns, sizes,
// rates, durations and a bar. One code point counts as one column.
#pragma once

#include <cstdint>
#include <string>

size_t ColumnCount(const std::string& utf8);
// Cut to at most columns, ending in "..." when something was cut (and
// there is room for it); never splits a character.
std::string FitToColumns(const std::string& utf8, size_t columns);

// "512 B", "1.5 KiB", "12.3 MiB", "1.2 GiB".
std::string FormatBytes(uint64_t bytes);
// "0:07", "12:03", "1:02:03"; "--:--" for a negative (unknown) time.
std::string FormatDuration(int64_t seconds);
// "[#####.....]" of width columns in all, brackets included; percent is
// held to 0..100.
std::string FormatBar(int percent, size_t width);
