// Where a cabinet member may be written. A member keeps the path the cabinet
// stores for it, below the destination folder; a stored path that would lead
// anywhere else is refused.
#pragma once

#include <string>

// True when the stored path stays below the folder it is joined to: it is
// relative, names no drive, server or stream (no ":"), and has no ".."
// component or other component made of dots and blanks only, which Windows
// would read as a way up. "\" and "/" both separate components.
bool IsContainedMemberPath(const std::string& memberPath);
