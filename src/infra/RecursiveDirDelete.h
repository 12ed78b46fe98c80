// Removes a folder and everything below it. A link found inside (symbolic
// link or junction, to a file or a folder), or the folder itself when it is
// one, is removed as a link: what it points to is never entered or changed.
#pragma once

#include <string>

// True when the folder is gone, was empty text, or never existed; false
// when the walk failed with an exception.
bool RecursiveDirDelete(const std::string& folder);
