// "Downloaded.txt" in the deployment folder: the components fetched there,
// an INI file whose section "Files" maps each source URL to the destination
// as written; a reader sees the last occurrence of a key. An entry is
// recorded by appending one line, so recording costs the same however long
// the list has grown.
#pragma once

#include <string>

// Appends url=destination to the list at path, creating the file when it is
// missing. The "[Files]" header goes first when the file is new or its last
// section is another one; the entries the file already holds under "Files"
// are then written again below it, because a later header of a section
// replaces the keys of the earlier one. An entry torn by a crash (the file
// does not end in a line end) is closed with one, so it never swallows the
// next. False when the file cannot be opened or written.
bool AppendDownloadedEntry(const std::string& path, const std::string& url,
                           const std::string& destination);
