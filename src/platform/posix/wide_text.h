// UTF-8, the posix port's narrow text, and UTF-16, the text of the wide
// Windows calls and of string data in .reg files. One decoder serves all:
// overlong forms, surrogates and cut-short sequences are refused, and each
// byte that does not start a well-formed sequence becomes U+FFFD, as do
// unpaired surrogates on the way back. (platform::ToWideString, declared in
// EmbeddedSignature.h, is defined here too.)
#pragma once

#include <string>

#include "platform/EmbeddedSignature.h"

namespace platform::posix {

std::string ToUtf8(const WideString& text);

// UTF-16LE bytes to UTF-8; false for an odd number of bytes.
bool Utf16LeToUtf8(const std::string& bytes, std::string& text);
// UTF-8 to UTF-16LE bytes.
std::string Utf8ToUtf16Le(const std::string& text);

}  // namespace platform::posix
