// "--root DIR": the folder of the Windows-shaped machine the posix build
// works on. A Windows build works on the machine itself and refuses it.
#pragma once

#include <string>

// Makes folder (made absolute) the machine root of this process; false with
// the reason when it cannot be one. Nothing is created here.
bool UseMachineRoot(const std::string& folder, std::string& error);
