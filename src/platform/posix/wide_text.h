// UTF-16 text of the wide Windows calls and the UTF-8 narrow text of the
// posix port.
#pragma once

#include <string>

#include "platform/EmbeddedSignature.h"

namespace platform::posix {

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(const WideString& text);

}  // namespace platform::posix
