#include "platform/posix/authenticode_layout.h"

namespace platform::posix::authenticode {
namespace {

constexpr size_t kFixedHeaderSize = 36;
constexpr uint16_t kReservePresent = 0x0004;
// A signed cabinet's reserved header area: cbCFHeader 20, then a marker,
// the signature's offset and size, and eight bytes of zeros.
constexpr uint16_t kSignatureReserveSize = 20;
constexpr uint32_t kSignatureReserveMarker = 0x00100000;
constexpr size_t kReserveEnd = 60;

SignatureLayout CabinetLayout(LayoutStatus status) {
  return LayoutOf(SubjectKind::Cabinet, status);
}

}  // namespace

SignatureLayout LocateCabinetSignature(const ByteSource& file) {
  const size_t size = static_cast<size_t>(file.Size());
  if (size < kFixedHeaderSize) return CabinetLayout(LayoutStatus::Malformed);
  uint16_t flags = 0;
  file.Le16(30, flags);
  if (!(flags & kReservePresent)) return CabinetLayout(LayoutStatus::Unsigned);

  uint16_t headerReserve = 0;
  uint32_t marker = 0;
  if (!file.Le16(36, headerReserve)) return CabinetLayout(LayoutStatus::Malformed);
  // Another kind of reserved area: not a signature.
  if (headerReserve != kSignatureReserveSize) return CabinetLayout(LayoutStatus::Unsigned);
  if (size < kReserveEnd) return CabinetLayout(LayoutStatus::Malformed);
  file.Le32(40, marker);
  if (marker != kSignatureReserveMarker) return CabinetLayout(LayoutStatus::Unsigned);

  uint32_t signatureOffset = 0;
  uint32_t signatureSize = 0;
  file.Le32(44, signatureOffset);
  file.Le32(48, signatureSize);
  if (signatureOffset == 0 && signatureSize == 0) return CabinetLayout(LayoutStatus::Unsigned);
  if (signatureOffset < kReserveEnd || signatureSize == 0 || signatureOffset > size ||
      size - signatureOffset < signatureSize)
    return CabinetLayout(LayoutStatus::Malformed);

  SignatureLayout layout = CabinetLayout(LayoutStatus::Signed);
  layout.signature = {signatureOffset, signatureSize};
  // Skipped: reserved1 (4-7), and iCabinet with the first sixteen bytes of
  // the reserved area (34-55), which signing fills in.
  AddRange(layout.digested, 0, 4);
  AddRange(layout.digested, 8, 34);
  AddRange(layout.digested, 56, signatureOffset);
  AddRange(layout.digested, static_cast<size_t>(signatureOffset) + signatureSize, size);
  return layout;
}

}  // namespace platform::posix::authenticode
