// PathRemoveFileSpecA: cuts the last component off a Windows path.
#pragma once

#include <string>

// "C:\dir\prog.exe" becomes "C:\dir", "C:\prog.exe" becomes "C:\",
// "\\server\share\x" becomes "\\server\share", "prog.exe" becomes "".
// True when the path changed ("C:\" and "" stay as they are).
bool RemoveFileSpec(std::string& path);
