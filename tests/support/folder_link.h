// Links to folders, made the way each target can make them: a symbolic
// link on posix, a directory symbolic link (or, failing that, nothing) on
// Windows.
#pragma once

#include <string>

// link and target are Windows paths of the test machine. False, with the
// reason, when this machine cannot make such a link.
bool MakeFolderLink(const std::string& link, const std::string& target, std::string& why);
