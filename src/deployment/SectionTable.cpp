#include "deployment/SectionTable.h"

#include <algorithm>
#include <utility>

#include "platform/TextCompare.h"

namespace {

// A power of two: the bucket is the hash masked by the count minus one.
constexpr size_t kInitialBuckets = 16;

}  // namespace

SectionTable::SectionTable() : buckets_(kInitialBuckets) {}

uint32_t SectionTable::HashName(const std::string& name) {
  // Each byte is hashed by the upper-case form of its lower-case form: that is
  // CharUpperA's answer for every letter of the code page, and it keeps names
  // that compare equal (as lower case) in one bucket even for the few letters
  // whose case mapping is not symmetric.
  const platform::CaseTables& tables = platform::SystemCaseTables();
  uint32_t hash = 0;
  for (const char c : name) {
    const unsigned char upper = tables.upper[tables.lower[static_cast<unsigned char>(c)]];
    hash = hash * 5 + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(upper)));
  }
  return hash;
}

const SectionTable::Section* SectionTable::Locate(const std::string& name, uint32_t hash) const {
  for (const Section& section : BucketFor(hash)) {
    if (section.hash == hash && platform::CodePageEqualsNoCase(section.name, name)) return &section;
  }
  return nullptr;
}

const IniKeyTable* SectionTable::Find(const std::string& name) const {
  const Section* section = Locate(name, HashName(name));
  return section ? &section->keys : nullptr;
}

IniKeyTable* SectionTable::Find(const std::string& name) {
  const Section* section = Locate(name, HashName(name));
  return section ? &const_cast<Section*>(section)->keys : nullptr;
}

IniKeyTable& SectionTable::FindOrCreate(const std::string& name) {
  const uint32_t hash = HashName(name);
  if (const Section* existing = Locate(name, hash)) return const_cast<Section*>(existing)->keys;
  if (size_ + 1 > buckets_.size()) Grow();
  Section section;
  section.name = name;
  section.hash = hash;
  ++size_;
  return InsertOrdered(BucketFor(hash), std::move(section)).keys;
}

bool SectionTable::Remove(const std::string& name) {
  const uint32_t hash = HashName(name);
  Bucket& bucket = BucketFor(hash);
  for (auto it = bucket.begin(); it != bucket.end(); ++it) {
    if (it->hash == hash && platform::CodePageEqualsNoCase(it->name, name)) {
      bucket.erase(it);
      --size_;
      return true;
    }
  }
  return false;
}

SectionTable::Section& SectionTable::InsertOrdered(Bucket& bucket, Section&& section) {
  const auto position = std::upper_bound(bucket.begin(), bucket.end(), section.name,
                                         [](const std::string& name, const Section& other) {
                                           return platform::CodePageLessNoCase()(name, other.name);
                                         });
  return *bucket.insert(position, std::move(section));
}

void SectionTable::Grow() {
  std::vector<Bucket> old = std::move(buckets_);
  buckets_ = std::vector<Bucket>(old.size() * 2);
  // Bucket i splits into i and i + old size, each fed from that one bucket
  // in its order, so appending keeps every bucket ordered.
  for (Bucket& bucket : old) {
    for (Section& section : bucket) BucketFor(section.hash).push_back(std::move(section));
  }
}
