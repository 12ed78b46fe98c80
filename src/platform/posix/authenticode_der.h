// A strict reader of DER elements over a byte span: single-byte tags and
// definite lengths only, every length checked against what is left.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::posix::authenticode {

constexpr uint8_t kDerSequence = 0x30;
constexpr uint8_t kDerObjectIdentifier = 0x06;
constexpr uint8_t kDerOctetString = 0x04;

struct DerElement {
  uint8_t tag = 0;
  const uint8_t* encoded = nullptr;  // tag, length and value
  size_t encodedLength = 0;
  const uint8_t* value = nullptr;
  size_t valueLength = 0;
};

class DerReader {
 public:
  DerReader(const uint8_t* data, size_t size) : data_(data), left_(size) {}

  // The next element; false at the end or on a malformed element.
  bool Next(DerElement& element);
  // The next element, which must carry tag.
  bool Expect(uint8_t tag, DerElement& element);
  bool AtEnd() const { return left_ == 0; }

 private:
  const uint8_t* data_;
  size_t left_;
};

}  // namespace platform::posix::authenticode
