// The section table of CIniFile: section name -> key table.
//
// A hash table over the upper-cased name (hash := hash * 5 + c for each byte
// taken as a signed char, 32-bit wrapping; bucket := hash & (buckets - 1)).
// Enumeration walks the buckets by index and, inside a bucket, the names in
// case-insensitive order, so the order of a written file depends only on the
// names the table holds, never on the order they arrived in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "deployment/IniNames.h"

class SectionTable {
 public:
  struct Section {
    std::string name;
    uint32_t hash = 0;
    IniKeyTable keys;
  };

  SectionTable();

  static uint32_t HashName(const std::string& name);

  const IniKeyTable* Find(const std::string& name) const;
  IniKeyTable* Find(const std::string& name);
  // The section's keys, creating an empty section under this name when there
  // is none. Valid until the next insertion or removal.
  IniKeyTable& FindOrCreate(const std::string& name);
  bool Remove(const std::string& name);

  size_t Size() const { return size_; }
  size_t BucketCount() const { return buckets_.size(); }

  // Visits every section in table order. The visitor must not insert or
  // remove sections.
  template <typename Visitor>
  void ForEach(Visitor&& visit) const {
    for (const Bucket& bucket : buckets_)
      for (const Section& section : bucket) visit(section.name, section.keys);
  }
  template <typename Visitor>
  void ForEach(Visitor&& visit) {
    for (Bucket& bucket : buckets_)
      for (Section& section : bucket) visit(section.name, section.keys);
  }

 private:
  using Bucket = std::vector<Section>;

  const Section* Locate(const std::string& name, uint32_t hash) const;
  Bucket& BucketFor(uint32_t hash) { return buckets_[hash & (buckets_.size() - 1)]; }
  const Bucket& BucketFor(uint32_t hash) const { return buckets_[hash & (buckets_.size() - 1)]; }
  static Section& InsertOrdered(Bucket& bucket, Section&& section);
  void Grow();

  std::vector<Bucket> buckets_;
  size_t size_ = 0;
};
