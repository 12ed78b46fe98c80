// The machine's folder lookups that path macros and the deployment engine
// depend on. The default implementation asks the system; a subclass can make
// a lookup fail, which a real machine will not do on demand.
#pragma once

#include <optional>
#include <string>

class SystemFolders {
 public:
  virtual ~SystemFolders() = default;

  // The process-wide instance that asks the system.
  static SystemFolders& Default();

  // GetTempPathA (ends in "\"), GetWindowsDirectoryA, GetSystemDirectoryA.
  virtual bool TempFolder(std::string& folder);
  virtual bool WindowsFolder(std::string& folder);
  virtual bool SystemFolder(std::string& folder);

  // SHGetFolderPathA (created when missing): the user's local application
  // data folder when perUser is set, else the all-users one.
  virtual bool AppDataFolder(bool perUser, std::string& folder);

  // "ProgramFilesDir" and "CommonFilesDir" of HKEY_LOCAL_MACHINE
  // "SOFTWARE\Microsoft\Windows\CurrentVersion\". False when the key cannot
  // be opened; a value that cannot be read is left empty.
  struct InstallFolders {
    std::optional<std::string> programFiles;
    std::optional<std::string> commonFiles;
  };
  virtual bool ReadInstallFolders(InstallFolders& folders);
};
