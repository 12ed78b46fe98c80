// The order in which the driver walks the sections of a setup descriptor:
// ascending without regard to case by the locale-aware multibyte comparison
// (platform/TextCompare.h), never file order. The four-digit prefixes the
// merge puts in front of names ("0001File_...", "0002File_...") and the
// numbers descriptor authors use rely on it.
#pragma once

#include <set>
#include <string>

class CIniFile;

struct DescriptorSectionLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

using DescriptorSectionNames = std::set<std::string, DescriptorSectionLess>;

DescriptorSectionNames OrderedSectionNames(const CIniFile& descriptor);
