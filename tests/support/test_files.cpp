#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/FileSystem.h"

std::string FromBuildMachine(const std::string& hostPath) {
#ifdef _WIN32
  std::string path = "Z:" + hostPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
#else
  return hostPath;
#endif
}

std::string ReadTestFile(const std::string& path) {
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "rb"));
  std::string bytes;
  char buffer[65536];
  size_t got = 0;
  while (file && (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
    bytes.append(buffer, got);
  return bytes;
}

bool WriteTestFile(const std::string& path, const std::string& bytes) {
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "wb"));
  return file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
         std::fflush(file.get()) == 0;
}

bool PathExists(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(path, attributes);
}

CIniFile IniFromText(const std::string& folder, const std::string& text,
                     const std::string& name) {
  const std::string path = folder + "\\" + name;
  EXPECT_TRUE(WriteTestFile(path, text)) << path;
  CIniFile ini;
  EXPECT_TRUE(ini.Load(path)) << path;
  return ini;
}
