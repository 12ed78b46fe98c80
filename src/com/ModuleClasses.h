// The classes varnik.dll serves, and what the module lets go when it is
// unloaded.
#pragma once

#include "com/ClassObjectTable.h"

namespace NVarnik {

ClassObjectTable& ModuleClasses();

// The kept class objects and the cached type library.
void ReleaseModuleObjects();

}  // namespace NVarnik
