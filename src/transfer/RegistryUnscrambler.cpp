// The scrambling of passwords kept in the registry: each byte is shifted by
// the byte of a fixed 20-character key, except where the key's last
// position falls, and the last byte before the terminator, which pass as
// they are.
#include "transfer/NetworkConfiguration.h"

namespace {

constexpr char kScrambleKey[] = "Qv7#kP2m!Xr9@Lb4$Zt8";
constexpr size_t kKeyLength = sizeof(kScrambleKey) - 1;
static_assert(kKeyLength == 20, "the scrambling key has 20 characters");

}  // namespace

std::string NetworkConfiguration::UnscrambleRegistryText(const uint8_t* bytes, size_t size) {
  if (!bytes || size <= 1) return "";
  if (size == 2) return std::string(1, static_cast<char>(bytes[0]));
  std::string text;
  text.reserve(size - 1);
  size_t k = 0;
  for (size_t i = 0; i + 2 < size; ++i) {
    const uint8_t byte = bytes[i];
    text += static_cast<char>(k == kKeyLength - 1
                                  ? byte
                                  : static_cast<uint8_t>(byte - static_cast<uint8_t>(kScrambleKey[k])));
    k = (k + 1) % kKeyLength;
  }
  text += static_cast<char>(bytes[size - 2]);
  return text;
}
