// The order in which the post-download actions handle the downloaded
// components: prerequisites and the components others rely on come first.
#pragma once

#include <vector>

#include "session/CDataStructure.h"

// Records with a .NET version ("ForceDownload") go to the front as they
// come (so the last of them leads), the others follow in order. Then the
// first Windows Installer record, the first extensibilityapi.dll record and
// the first registryentries.cab record are each moved to the front, in that
// order, so the list starts with registryentries.cab, extensibilityapi.dll,
// the package.
std::vector<CDataStructure> BuildWorkingList(const std::vector<CDataStructure>& records);
