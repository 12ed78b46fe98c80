// The Windows-shaped machine the posix port keeps under one folder:
//   drive_c/          C:\ (drive_d/ for D:\, ...); unc/ for \\server\share
//   registry/         the current-user and local-machine hives (.reg text)
//   certificates/     trusted root certificates (PEM)
//   machine.ini       OS and user facts (machine_config.h)
// The root is $VARNIK_ROOT, else ~/.local/share/varnik. It is read on every
// call, so a test can point the port at a fresh root by setting the variable.
#pragma once

#include <string>

namespace platform::posix {

std::string MachineRoot();

// Creates the standard folders of a fresh machine (Windows, system32, the
// user's profile with its temporary and application-data folders,
// ProgramData, Program Files) once per root and process.
void EnsureMachineLayout();

// Maps a Windows path onto the host file system. Drive and UNC paths go
// beneath the root, read as windows_path.h says; a path that already starts
// with "/" is a host path and is kept; relative paths stay relative to the
// working folder. Every existing component is matched without regard to
// case. False, with an empty hostPath, for a path Windows refuses as a name
// (ERROR_INVALID_NAME).
bool MapWindowsPath(const std::string& windowsPath, std::string& hostPath);
// The same, empty for a refused path, for callers with no error to report.
std::string HostPath(const std::string& windowsPath);

// The user's profile folder and other well-known Windows paths on this
// machine, as Windows paths.
std::string UserProfileFolder();

}  // namespace platform::posix
