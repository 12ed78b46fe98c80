// COM registration of downloaded components: in-process libraries and type
// libraries by calling into them, out-of-process executables by starting
// them with "-regserver". Nothing is returned; failures are logged and
// entered into the failure report.
#pragma once

#include <string>

#include "infra/FailureTrace.h"

// extension: ".dll", ".ocx" or ".tlb". A library's DllRegisterServer is
// called first (not for ".tlb"); then the type library the file holds is
// registered, and a file without one is reported as such.
void RegisterLibrary(const std::string& path, const std::string& extension,
                     FailureTrace& failures);

// Starts the executable with "-regserver" and waits up to five seconds.
void RegisterActiveXExe(const std::string& path);
