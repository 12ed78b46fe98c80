// How INI section names, keys and values compare: without regard to case,
// letters taken as lower case in the system code page (platform/TextCompare.h).
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/TextCompare.h"

using IniKeyTable = std::map<std::string, std::string, platform::CodePageLessNoCase>;
using IniNameSet = std::set<std::string, platform::CodePageLessNoCase>;
