// Where a cabinet member may be written, and which next cabinet of a set may
// be opened. A member keeps the path the cabinet stores for it, below the
// destination folder; a stored path that would lead anywhere else, or to
// something other than a plain file, is refused.
#pragma once

#include <string>

// True when the stored path stays below the folder it is joined to and
// names plain files and folders there: it is relative, names no drive,
// server or stream (no ":"), and no component
// - is ".." or another run of dots and blanks, which Windows would read as
//   a way up;
// - ends in a dot or a blank, which Windows strips ("a." would write "a");
// - is a device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, also with the
//   superscript digits, CONIN$, CONOUT$), in any case, with or without an
//   extension or blanks before it: "NUL.txt" would swallow the data and
//   "COM1" open a serial port;
// - holds a character Windows keeps out of file names (< > " | ? * and the
//   control characters).
// "\" and "/" both separate components.
bool IsContainedMemberPath(const std::string& memberPath);

// True when the name of the next cabinet of a set, as a cabinet stores it,
// is one plain file name by the same rules, so that the cabinet is looked
// for in the folder of the one before it and nowhere else.
bool IsPlainCabinetName(const std::string& name);
