// Raw file access for the INI tests: bytes in and out exactly as on disk.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "deployment/CIniFile.h"
#include "platform/FileSystem.h"

inline void WriteRawFile(const std::string& path, const std::string& bytes) {
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "wb"));
  ASSERT_NE(nullptr, file) << path;
  ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), file.get()));
}

inline std::string ReadRawFile(const std::string& path) {
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "rb"));
  if (!file) return "<missing>";
  std::string bytes;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
  return bytes;
}

inline CIniFile IniFromText(const std::string& scratchFolder, const std::string& text) {
  const std::string path = scratchFolder + "\\from_text.ini";
  WriteRawFile(path, text);
  CIniFile ini;
  EXPECT_TRUE(ini.Load(path));
  return ini;
}
