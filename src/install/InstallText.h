// Small text rules the installation steps share.
#pragma once

#include <string>

// What follows the last "\" (all of it when there is none).
std::string FileNamePart(const std::string& path);

// What precedes the last "\" (empty when there is none).
std::string FolderPart(const std::string& path);

// The last n characters (all of it when shorter), lower-cased in the system
// code page.
std::string LowerTail(const std::string& text, size_t n);
