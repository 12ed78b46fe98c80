// How a Windows program's C runtime splits its command line into argv, so a
// posix child receives the arguments a Windows child would.
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

// The program name (first token) ends at the next blank, or, when it starts
// with a quote, at the next quote; backslashes are plain there. After it,
// blanks and tabs separate arguments unless quoted; 2n backslashes before a
// quote give n backslashes and the quote opens or closes quoting, 2n+1 give n
// backslashes and a literal quote; other backslashes are plain; inside
// quotes, "" is a literal quote and quoting goes on.
std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine);

}  // namespace platform::posix
