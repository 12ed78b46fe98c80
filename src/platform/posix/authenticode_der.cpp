#include "platform/posix/authenticode_der.h"

namespace platform::posix::authenticode {

bool DerReader::Next(DerElement& element) {
  if (left_ < 2) return false;
  const uint8_t tag = data_[0];
  // High tag numbers never occur in the structures read here.
  if ((tag & 0x1F) == 0x1F) return false;
  size_t header = 2;
  size_t length = data_[1];
  if (length & 0x80) {
    const size_t lengthBytes = length & 0x7F;
    // Indefinite lengths are not DER; more than four length bytes cannot
    // describe anything a file here holds.
    if (lengthBytes == 0 || lengthBytes > 4 || left_ < 2 + lengthBytes) return false;
    length = 0;
    for (size_t i = 0; i < lengthBytes; ++i) length = (length << 8) | data_[2 + i];
    header += lengthBytes;
  }
  if (length > left_ - header) return false;

  element.tag = tag;
  element.encoded = data_;
  element.encodedLength = header + length;
  element.value = data_ + header;
  element.valueLength = length;
  data_ += element.encodedLength;
  left_ -= element.encodedLength;
  return true;
}

bool DerReader::Expect(uint8_t tag, DerElement& element) {
  return Next(element) && element.tag == tag;
}

}  // namespace platform::posix::authenticode
