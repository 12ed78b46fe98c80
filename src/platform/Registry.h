// The registry of the current user and of the machine. The win32 port calls
// the Reg* API; the posix port keeps each hive as a .reg text file under the
// machine root. Results are Win32 error numbers (kErrorSuccess on success) so
// callers behave the same on both ports. Names are narrow text (UTF-8 on
// posix) and compare without regard to case; a name holding CR or LF cannot
// be kept in a .reg file and is kErrorInvalidParameter on posix.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

namespace platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

// Value types with their Windows numbers (REG_SZ, ...).
enum class RegistryValueType : uint32_t {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  Dword = 4,
  MultiString = 7,
  Qword = 11,
};

// A value exactly as RegQueryValueExA hands it out: its type and its bytes,
// string data included with whatever terminating zero it was stored with.
struct RegistryValue {
  RegistryValueType type = RegistryValueType::None;
  std::vector<uint8_t> data;
};

enum class RegistryAccess { Read, ReadWrite };

class RegistryKey {
 public:
  RegistryKey();
  ~RegistryKey();
  RegistryKey(RegistryKey&&) noexcept;
  RegistryKey& operator=(RegistryKey&&) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // RegOpenKeyExA: the key must exist (kErrorFileNotFound). A path that
  // starts with "\" is kErrorBadPathname; an empty path opens the root.
  // On failure key is left closed.
  static Win32Error Open(RegistryRoot root, const std::string& path, RegistryAccess access,
                         RegistryKey& key);
  // RegCreateKeyExA: opens the key, creating it and any missing parents.
  static Win32Error Create(RegistryRoot root, const std::string& path, RegistryKey& key);
  // RegDeleteTreeA on root\path followed by removal of the key itself.
  // kErrorInvalidParameter for an empty path, which would name the hive.
  static Win32Error DeleteTree(RegistryRoot root, const std::string& path);

  bool IsOpen() const;
  void Close();

  // Every call on a key that has since been deleted answers
  // kErrorKeyDeleted; on a key opened for reading, changes answer
  // kErrorAccessDenied; on a closed key, kErrorInvalidHandle.

  // Raw read. maxBytes mimics the caller's buffer: a larger value gives
  // kErrorMoreData, its type and no data.
  Win32Error QueryValue(const std::string& name, RegistryValue& value,
                        size_t maxBytes = SIZE_MAX) const;
  // REG_SZ or REG_EXPAND_SZ (not expanded); the text ends at the first zero.
  // A value of another type is kErrorInvalidData.
  Win32Error ReadString(const std::string& name, std::string& text) const;
  // A REG_DWORD of four bytes, else kErrorInvalidData.
  Win32Error ReadDword(const std::string& name, uint32_t& number) const;
  // The bytes of a value of any type.
  Win32Error ReadBinary(const std::string& name, std::vector<uint8_t>& bytes) const;

  // Stores text with its terminating zero, as RegSetValueExA callers pass
  // strlen + 1. type is String, ExpandString or MultiString (text then
  // holds the zeros between its strings), else kErrorInvalidParameter.
  Win32Error WriteString(const std::string& name, const std::string& text,
                         RegistryValueType type = RegistryValueType::String);
  Win32Error WriteDword(const std::string& name, uint32_t number);
  Win32Error WriteBinary(const std::string& name, const std::vector<uint8_t>& bytes);
  Win32Error WriteValue(const std::string& name, const RegistryValue& value);
  Win32Error DeleteValue(const std::string& name);

  // Names of the direct subkeys, in the order the store keeps them (both
  // ports: by name, without regard to case).
  Win32Error EnumerateSubKeys(std::vector<std::string>& names) const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
