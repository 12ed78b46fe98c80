// Content flavour lists ("ContentFlavors" of a component section).
#pragma once

#include <string>
#include <vector>

// The entries of a list: separated by "," when the list holds a ",",
// otherwise by ";" ("A,B;C" is "A" and "B;C"). Entries are kept as written.
std::vector<std::string> SplitFlavorList(const std::string& list);

// Whether a component with this list belongs to the flavour: always for an
// empty flavour, for an empty list and for the list "*"; otherwise when an
// entry equals the flavour without regard to case.
bool FlavorListAccepts(const std::string& list, const std::string& flavor);
