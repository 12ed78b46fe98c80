// Places a downloaded component file at its destination. The new file
// replaces the old one in one rename (on Windows a copy made beside the
// destination, so it takes the destination folder's permissions), so the
// destination holds the complete old file or the complete new one at every
// moment, whatever fails on the way. A library or program that cannot be
// replaced (it is loaded) counts as placed when the file already there has
// the same version.
#pragma once

#include <string>

// True when the destination now holds the component. The source (the
// temporary download) is deleted in every case.
bool MoveFile2Destination(const std::string& source, const std::string& destination);
