#include "platform/posix/version_block.h"

#include "infra/LittleEndian.h"
#include "platform/TextCompare.h"
#include "platform/posix/wide_text.h"

namespace platform::posix {
namespace {

constexpr uint64_t kHeaderSize = 6;  // wLength, wValueLength, wType

uint64_t AlignTo32Bits(uint64_t offset) { return (offset + 3) & ~uint64_t{3}; }

class BlockReader {
 public:
  explicit BlockReader(const std::vector<uint8_t>& block) : block_(block) {}

  bool U16(uint64_t offset, uint16_t& value) const {
    return ReadLe16(block_.data(), block_.size(), offset, value);
  }

  const std::vector<uint8_t>& Bytes() const { return block_; }

 private:
  const std::vector<uint8_t>& block_;
};

// One node of the tree: header, zero-terminated UTF-16 key, value, children.
struct Node {
  uint64_t end = 0;
  bool isText = false;
  std::string key;
  uint64_t valueOffset = 0;
  uint64_t valueBytes = 0;
  uint64_t children = 0;
};

bool ReadNode(const BlockReader& reader, uint64_t offset, uint64_t limit, Node& node) {
  uint16_t length = 0, valueLength = 0, type = 0;
  if (!reader.U16(offset, length) || !reader.U16(offset + 2, valueLength) ||
      !reader.U16(offset + 4, type) || length < kHeaderSize || offset + length > limit)
    return false;
  node.end = offset + length;
  node.isText = type == 1;

  std::string key;
  uint64_t at = offset + kHeaderSize;
  for (;; at += 2) {
    uint16_t unit = 0;
    if (at + 2 > node.end || !reader.U16(at, unit)) return false;
    if (unit == 0) break;
    key.push_back(static_cast<char>(unit & 0xFF));
    key.push_back(static_cast<char>(unit >> 8));
  }
  if (!Utf16LeToUtf8(key, node.key)) return false;

  node.valueOffset = AlignTo32Bits(at + 2);
  // Text lengths count UTF-16 units, other values bytes.
  node.valueBytes = node.isText ? uint64_t{valueLength} * 2 : valueLength;
  if (node.valueBytes == 0 && node.valueOffset > node.end) node.valueOffset = node.end;
  if (node.valueOffset + node.valueBytes > node.end) return false;
  node.children = AlignTo32Bits(node.valueOffset + node.valueBytes);
  return true;
}

bool FindChild(const BlockReader& reader, const Node& parent, const std::string& key,
               Node& child) {
  uint64_t offset = parent.children;
  while (offset + kHeaderSize <= parent.end) {
    if (!ReadNode(reader, offset, parent.end, child)) return false;
    if (OrdinalEqualsNoCase(child.key, key)) return true;
    offset = AlignTo32Bits(child.end);  // never 0 long, so the walk moves on
  }
  return false;
}

}  // namespace

bool QueryVersionBlock(const std::vector<uint8_t>& block, const std::string& subBlock,
                       VersionValue& value) {
  const BlockReader reader(block);
  Node node;
  if (!ReadNode(reader, 0, block.size(), node)) return false;
  size_t start = 0;
  while (start < subBlock.size()) {
    size_t end = subBlock.find('\\', start);
    if (end == std::string::npos) end = subBlock.size();
    if (end > start) {
      Node child;
      if (!FindChild(reader, node, subBlock.substr(start, end - start), child)) return false;
      node = child;
    }
    start = end + 1;
  }
  value.isText = node.isText;
  value.bytes.assign(block.begin() + static_cast<std::ptrdiff_t>(node.valueOffset),
                     block.begin() + static_cast<std::ptrdiff_t>(node.valueOffset + node.valueBytes));
  return true;
}

}  // namespace platform::posix
