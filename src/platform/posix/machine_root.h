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

// Maps a Windows path onto the host file system. Drive paths go beneath the
// root; a path that already starts with "/" is a host path and is kept;
// relative paths stay relative to the working folder. "." and ".." are
// resolved as Windows resolves them, and every existing component is matched
// without regard to case.
std::string HostPath(const std::string& windowsPath);

// The user's profile folder and other well-known Windows paths on this
// machine, as Windows paths.
std::string UserProfileFolder();

}  // namespace platform::posix
