// The posix reader of version resource trees on hand-made blocks: lookups
// by path, and damaged lengths that must give "none", never a read outside
// the block or a walk that does not end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/version_block.h"

namespace {

using Block = std::vector<uint8_t>;

void Put16(Block& block, uint16_t value) {
  block.push_back(static_cast<uint8_t>(value));
  block.push_back(static_cast<uint8_t>(value >> 8));
}

void Align(Block& block) {
  while (block.size() % 4) block.push_back(0);
}

// One node: header, key, value, children; its length written last.
Block Node(const std::string& key, uint16_t type, const Block& value, uint16_t valueLength,
           const std::vector<Block>& children = {}) {
  Block node;
  Put16(node, 0);
  Put16(node, valueLength);
  Put16(node, type);
  for (char c : key) Put16(node, static_cast<uint8_t>(c));
  Put16(node, 0);
  Align(node);
  node.insert(node.end(), value.begin(), value.end());
  for (const Block& child : children) {
    Align(node);
    node.insert(node.end(), child.begin(), child.end());
  }
  node[0] = static_cast<uint8_t>(node.size());
  node[1] = static_cast<uint8_t>(node.size() >> 8);
  return node;
}

Block Text(const std::string& text) {
  Block units;
  for (char c : text) Put16(units, static_cast<uint8_t>(c));
  Put16(units, 0);
  return units;
}

Block Sample() {
  const Block version = Node("FileVersion", 1, Text("5.6"), 4);
  const Block table = Node("040904b0", 1, {}, 0, {version});
  const Block strings = Node("StringFileInfo", 1, {}, 0, {table});
  return Node("VS_VERSION_INFO", 0, {}, 0, {strings});
}

TEST(VersionBlockTest, FindsValuesByPath) {
  platform::posix::VersionValue value;
  ASSERT_TRUE(platform::posix::QueryVersionBlock(
      Sample(), "\\StringFileInfo\\040904B0\\FileVersion", value));
  EXPECT_TRUE(value.isText);
  EXPECT_EQ(Text("5.6"), value.bytes);
  EXPECT_FALSE(platform::posix::QueryVersionBlock(Sample(), "\\StringFileInfo\\0407", value));
  EXPECT_FALSE(platform::posix::QueryVersionBlock({}, "\\", value));
}

TEST(VersionBlockTest, DamagedLengthsGiveNone) {
  const Block good = Sample();
  platform::posix::VersionValue value;
  const std::string path = "\\StringFileInfo\\040904B0\\FileVersion";
  // Every truncation, and every length field set to 0, 1 and 0xFFFF.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    const Block shorter(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    platform::posix::QueryVersionBlock(shorter, path, value);
  }
  for (size_t at = 0; at + 1 < good.size(); at += 2) {
    for (uint16_t bad : {0, 1, 0xFFFF}) {
      Block damaged = good;
      damaged[at] = static_cast<uint8_t>(bad);
      damaged[at + 1] = static_cast<uint8_t>(bad >> 8);
      if (platform::posix::QueryVersionBlock(damaged, path, value)) {
        EXPECT_LE(value.bytes.size(), damaged.size());
      }
    }
  }
}

}  // namespace
