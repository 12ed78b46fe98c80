#include "platform/posix/authenticode_layout.h"

namespace platform::posix::authenticode {
namespace {

constexpr size_t kNewHeaderPointer = 0x3C;  // e_lfanew
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kCoffHeaderSize = 20;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kChecksumOffset = 64;  // within the optional header
constexpr size_t kSecurityDirectory = 4;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kWinCertificateHeader = 8;
constexpr uint16_t kWinCertRevision1 = 0x0100;
constexpr uint16_t kWinCertRevision2 = 0x0200;
constexpr uint16_t kWinCertTypePkcsSignedData = 0x0002;

SignatureLayout PeLayout(LayoutStatus status) {
  return LayoutOf(SubjectKind::PeImage, status);
}

}  // namespace

SignatureLayout LocatePeSignature(const ByteSource& file) {
  const SignatureLayout malformed = PeLayout(LayoutStatus::Malformed);
  const size_t size = static_cast<size_t>(file.Size());
  uint32_t peOffset = 0;
  uint32_t peSignature = 0;
  if (!file.Le32(kNewHeaderPointer, peOffset)) return malformed;
  if (peOffset > size || size - peOffset < 4 + kCoffHeaderSize ||
      !file.Le32(peOffset, peSignature) || peSignature != kPeSignature)
    return malformed;

  const size_t coff = static_cast<size_t>(peOffset) + 4;
  uint16_t optionalHeaderSize = 0;
  if (!file.Le16(coff + 16, optionalHeaderSize)) return malformed;
  const size_t optional = coff + kCoffHeaderSize;
  if (size - optional < optionalHeaderSize) return malformed;

  uint16_t magic = 0;
  if (optionalHeaderSize < 2 || !file.Le16(optional, magic)) return malformed;
  size_t directoryCountField = 0;
  size_t directories = 0;
  if (magic == kPe32Magic) {
    directoryCountField = optional + 92;
    directories = optional + 96;
  } else if (magic == kPe32PlusMagic) {
    directoryCountField = optional + 108;
    directories = optional + 112;
  } else {
    return malformed;
  }
  const size_t optionalEnd = optional + optionalHeaderSize;
  if (directories > optionalEnd) return malformed;

  uint32_t directoryCount = 0;
  if (!file.Le32(directoryCountField, directoryCount)) return malformed;
  const size_t securityEntry = directories + kSecurityDirectory * kDirectoryEntrySize;
  // No security directory at all: a file that was never signed.
  if (directoryCount <= kSecurityDirectory || securityEntry + kDirectoryEntrySize > optionalEnd)
    return PeLayout(LayoutStatus::Unsigned);

  uint32_t tableOffset = 0;
  uint32_t tableSize = 0;
  file.Le32(securityEntry, tableOffset);
  file.Le32(securityEntry + 4, tableSize);
  if (tableOffset == 0 && tableSize == 0) return PeLayout(LayoutStatus::Unsigned);

  // The table (its VirtualAddress is a file offset) must lie after the
  // fields the digest skips and inside the file.
  if (tableOffset < securityEntry + kDirectoryEntrySize || tableOffset > size ||
      size - tableOffset < tableSize || tableSize < kWinCertificateHeader)
    return malformed;

  // The first WIN_CERTIFICATE is the Authenticode signature.
  uint32_t certificateLength = 0;
  uint16_t revision = 0;
  uint16_t certificateType = 0;
  file.Le32(tableOffset, certificateLength);
  file.Le16(tableOffset + 4, revision);
  file.Le16(tableOffset + 6, certificateType);
  if (certificateLength <= kWinCertificateHeader || certificateLength > tableSize) return malformed;
  if ((revision != kWinCertRevision2 && revision != kWinCertRevision1) ||
      certificateType != kWinCertTypePkcsSignedData)
    return PeLayout(LayoutStatus::Unsigned);

  SignatureLayout layout = PeLayout(LayoutStatus::Signed);
  layout.signature = {static_cast<size_t>(tableOffset) + kWinCertificateHeader,
                      certificateLength - kWinCertificateHeader};
  const size_t checksum = optional + kChecksumOffset;
  AddRange(layout.digested, 0, checksum);
  AddRange(layout.digested, checksum + 4, securityEntry);
  AddRange(layout.digested, securityEntry + kDirectoryEntrySize, tableOffset);
  // Anything after the table is covered too, so bytes appended to a signed
  // file change its digest.
  AddRange(layout.digested, static_cast<size_t>(tableOffset) + tableSize, size);
  return layout;
}

}  // namespace platform::posix::authenticode
