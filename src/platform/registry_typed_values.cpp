// The typed readers and writers, in terms of each port's QueryValue and
// WriteValue.
#include "platform/Registry.h"

#include "infra/LittleEndian.h"

namespace platform {

Win32Error RegistryKey::ReadString(const std::string& name, std::string& text) const {
  RegistryValue value;
  if (Win32Error error = QueryValue(name, value)) return error;
  if (value.type != RegistryValueType::String && value.type != RegistryValueType::ExpandString)
    return kErrorInvalidData;
  text.assign(value.data.begin(), value.data.end());
  text = text.c_str();
  return kErrorSuccess;
}

Win32Error RegistryKey::ReadDword(const std::string& name, uint32_t& number) const {
  RegistryValue value;
  if (Win32Error error = QueryValue(name, value)) return error;
  if (value.type != RegistryValueType::Dword || value.data.size() != 4) return kErrorInvalidData;
  number = ReadLe32(value.data.data());
  return kErrorSuccess;
}

Win32Error RegistryKey::ReadBinary(const std::string& name, std::vector<uint8_t>& bytes) const {
  RegistryValue value;
  if (Win32Error error = QueryValue(name, value)) return error;
  bytes = std::move(value.data);
  return kErrorSuccess;
}

Win32Error RegistryKey::WriteString(const std::string& name, const std::string& text,
                                    RegistryValueType type) {
  if (type != RegistryValueType::String && type != RegistryValueType::ExpandString &&
      type != RegistryValueType::MultiString)
    return kErrorInvalidParameter;
  RegistryValue value;
  value.type = type;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  return WriteValue(name, value);
}

Win32Error RegistryKey::WriteDword(const std::string& name, uint32_t number) {
  RegistryValue value;
  value.type = RegistryValueType::Dword;
  value.data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
  return WriteValue(name, value);
}

Win32Error RegistryKey::WriteBinary(const std::string& name, const std::vector<uint8_t>& bytes) {
  RegistryValue value;
  value.type = RegistryValueType::Binary;
  value.data = bytes;
  return WriteValue(name, value);
}

}  // namespace platform
