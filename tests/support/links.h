// Symbolic links for the tests. posix: symlink(). win32: CreateSymbolicLinkA,
// else a junction for a folder; false when the system makes neither.
#pragma once

#include <string>

bool MakeFolderLink(const std::string& link, const std::string& target);
bool MakeFileLink(const std::string& link, const std::string& target);
