#include <windows.h>

#include <utility>

#include "platform/Registry.h"

namespace platform {

class RegistryKey::Impl {
 public:
  explicit Impl(HKEY key) : key_(key) {}
  ~Impl() { RegCloseKey(key_); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  HKEY Get() const { return key_; }

 private:
  HKEY key_;
};

namespace {

// Closes a key that is only needed inside one call.
struct ScopedKey {
  HKEY key = nullptr;
  ~ScopedKey() {
    if (key) RegCloseKey(key);
  }
};

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

constexpr DWORD kMaxDword = 0xFFFFFFFFu;

}  // namespace

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

Win32Error RegistryKey::Open(RegistryRoot root, const std::string& path, RegistryAccess access,
                             RegistryKey& key) {
  key.Close();
  const REGSAM rights = access == RegistryAccess::Read ? KEY_READ : KEY_READ | KEY_WRITE;
  HKEY opened = nullptr;
  const LONG error = RegOpenKeyExA(RootKey(root), path.c_str(), 0, rights, &opened);
  if (error != ERROR_SUCCESS) return error;
  key.impl_ = std::make_unique<Impl>(opened);
  return kErrorSuccess;
}

Win32Error RegistryKey::Create(RegistryRoot root, const std::string& path, RegistryKey& key) {
  key.Close();
  HKEY created = nullptr;
  const LONG error = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                                     &created, nullptr);
  if (error != ERROR_SUCCESS) return error;
  key.impl_ = std::make_unique<Impl>(created);
  return kErrorSuccess;
}

Win32Error RegistryKey::DeleteTree(RegistryRoot root, const std::string& path) {
  // An empty path would name the whole hive.
  if (path.c_str()[0] == '\0') return kErrorInvalidParameter;
  {
    ScopedKey key;
    LONG error = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ | KEY_WRITE | DELETE,
                               &key.key);
    if (error != ERROR_SUCCESS) return error;
    // Without a subkey name RegDeleteTreeA empties the key but leaves it.
    error = RegDeleteTreeA(key.key, nullptr);
    if (error != ERROR_SUCCESS) return error;
  }
  return RegDeleteKeyA(RootKey(root), path.c_str());
}

bool RegistryKey::IsOpen() const { return impl_ != nullptr; }

void RegistryKey::Close() { impl_.reset(); }

Win32Error RegistryKey::QueryValue(const std::string& name, RegistryValue& value,
                                   size_t maxBytes) const {
  value = RegistryValue();
  if (!impl_) return kErrorInvalidHandle;
  const DWORD limit = maxBytes > kMaxDword ? kMaxDword : static_cast<DWORD>(maxBytes);
  while (true) {
    DWORD type = REG_NONE;
    DWORD needed = 0;
    LONG error = RegQueryValueExA(impl_->Get(), name.c_str(), nullptr, &type, nullptr, &needed);
    if (error != ERROR_SUCCESS) return error;
    // Ask with the caller's buffer size when that is the smaller, so the
    // answer is the one that buffer would get.
    const bool callerLimited = limit < needed;
    DWORD size = callerLimited ? limit : needed;
    std::vector<uint8_t> data(size > 0 ? size : 1);
    error = RegQueryValueExA(impl_->Get(), name.c_str(), nullptr, &type, data.data(), &size);
    value.type = static_cast<RegistryValueType>(type);
    if (error == ERROR_MORE_DATA && !callerLimited) continue;  // it grew meanwhile
    if (error != ERROR_SUCCESS) return error;
    data.resize(size);
    value.data = std::move(data);
    return kErrorSuccess;
  }
}

Win32Error RegistryKey::WriteValue(const std::string& name, const RegistryValue& value) {
  if (!impl_) return kErrorInvalidHandle;
  if (value.data.size() > kMaxDword) return kErrorInvalidParameter;
  return RegSetValueExA(impl_->Get(), name.c_str(), 0, static_cast<DWORD>(value.type),
                        value.data.data(), static_cast<DWORD>(value.data.size()));
}

Win32Error RegistryKey::DeleteValue(const std::string& name) {
  if (!impl_) return kErrorInvalidHandle;
  return RegDeleteValueA(impl_->Get(), name.c_str());
}

Win32Error RegistryKey::EnumerateSubKeys(std::vector<std::string>& names) const {
  names.clear();
  if (!impl_) return kErrorInvalidHandle;
  DWORD longest = 0;
  LONG error = RegQueryInfoKeyA(impl_->Get(), nullptr, nullptr, nullptr, nullptr, &longest,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (error != ERROR_SUCCESS) return error;
  std::vector<char> buffer(longest + 1);
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    error = RegEnumKeyExA(impl_->Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr,
                          nullptr);
    if (error == ERROR_NO_MORE_ITEMS) return kErrorSuccess;
    if (error == ERROR_MORE_DATA) {
      // A longer name was added meanwhile.
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (error != ERROR_SUCCESS) {
      names.clear();
      return error;
    }
    names.emplace_back(buffer.data(), length);
    ++index;
  }
}

}  // namespace platform
