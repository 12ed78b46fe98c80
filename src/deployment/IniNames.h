// How INI section names, keys and values compare: without regard to case,
// letters taken as lower case in the system code page (platform/TextCompare.h).
#pragma once

#include <map>
#include <set>
#include <string>

// Orders narrow texts by their lower-cased letters.
struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// True when the texts differ at most in the case of their letters.
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

using IniKeyTable = std::map<std::string, std::string, CaseInsensitiveLess>;
using IniNameSet = std::set<std::string, CaseInsensitiveLess>;
