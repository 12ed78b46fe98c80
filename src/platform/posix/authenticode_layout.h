// Where a file keeps its embedded Authenticode signature and which of its
// bytes the signed digest covers. PE images keep the signature in the
// certificate table (security data directory); the digest covers the whole
// file except the checksum field, the security directory entry and the
// table itself. Signed cabinets keep it where the 20-byte reserved header
// area points; the digest covers the header without the fields signing
// rewrites, and everything else except the signature.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/posix/byte_source.h"

namespace platform::posix::authenticode {

struct ByteRange {
  size_t offset = 0;
  size_t length = 0;
};

enum class SubjectKind { Unknown, PeImage, Cabinet };

enum class LayoutStatus {
  Signed,       // signature and digested ranges found
  Unsigned,     // a well-formed file without an embedded signature
  Malformed,    // headers or signature location out of bounds or inconsistent
  UnknownForm,  // neither a PE image nor a cabinet
};

struct SignatureLayout {
  SubjectKind kind = SubjectKind::Unknown;
  LayoutStatus status = LayoutStatus::UnknownForm;
  ByteRange signature;              // DER PKCS #7 SignedData, possibly padded
  std::vector<ByteRange> digested;  // in file order
};

// Only the few header fields on the way to the signature are read.
SignatureLayout LocateSignature(const ByteSource& file);
SignatureLayout LocatePeSignature(const ByteSource& file);
SignatureLayout LocateCabinetSignature(const ByteSource& file);
// A file held in memory.
SignatureLayout LocateSignature(const uint8_t* data, size_t size);

// Appends [begin, end) when it is not empty.
void AddRange(std::vector<ByteRange>& ranges, size_t begin, size_t end);

// A layout of the given kind and status, with nothing located yet.
inline SignatureLayout LayoutOf(SubjectKind kind, LayoutStatus status) {
  SignatureLayout layout;
  layout.kind = kind;
  layout.status = status;
  return layout;
}

}  // namespace platform::posix::authenticode
