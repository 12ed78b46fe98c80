// Base64 and hexadecimal text conversions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

// RFC 2045 Base64 with "=" padding and a CR LF after every 76 characters
// (none after the last line). kEFail when the output length would not fit
// in 31 bits.
platform::HResult Base64Encode(const std::vector<uint8_t>& bytes, std::string& text);

// The output length Base64Encode needs for inputLength bytes, line breaks
// included; false when it cannot be represented.
bool Base64EncodedLength(size_t inputLength, size_t& outputLength);

constexpr size_t kHexByteBufferSize = 1024;
using HexByteBuffer = std::array<uint8_t, kHexByteBufferSize>;

// Reads pairs of hexadecimal digits into buffer; the number of bytes
// written, or 0 on failure (logged).
size_t ConvertHexStringToHexByteArray(const std::string& hex, HexByteBuffer& buffer);
