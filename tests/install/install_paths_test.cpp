#include <gtest/gtest.h>

#include <string>

#include "install/CabinetMemberPath.h"
#include "install/ProgramFolder.h"

namespace {

TEST(CabinetMemberPathTest, AcceptsPathsBelowTheFolder) {
  for (const char* path : {"a.txt", "sub\\a.txt", "sub/a.txt", "a\\b\\c\\d.dll", "..a.txt",
                           "a..txt", "sub\\.hidden", ".\\a.txt", "x\\...y"})
    EXPECT_TRUE(IsContainedMemberPath(path)) << path;
}

TEST(CabinetMemberPathTest, RefusesPathsThatLeadElsewhere) {
  for (const char* path : {"", "..", "..\\a", "a\\..\\..\\b", "a/../b", "\\a", "/a", "\\\\s\\x\\a",
                           "C:\\a", "C:a", "c:", "a:b", "...\\a", ". .\\a", ".. \\a", "a\\ \\b"})
    EXPECT_FALSE(IsContainedMemberPath(path)) << path;
}

TEST(RemoveFileSpecTest, CutsTheLastComponentAsWindowsDoes) {
  const struct {
    const char* path;
    const char* folder;
    bool changed;
  } cases[] = {
      {"C:\\dir\\prog.exe", "C:\\dir", true}, {"C:\\dir\\sub\\", "C:\\dir\\sub", true},
      {"C:\\prog.exe", "C:\\", true}, {"C:\\", "C:\\", false}, {"C:prog.exe", "C:", true},
      {"\\prog.exe", "\\", true}, {"\\\\server\\share\\prog.exe", "\\\\server\\share", true},
      {"\\\\server", "\\\\", true}, {"prog.exe", "", true}, {"", "", false},
  };
  for (const auto& c : cases) {
    std::string path = c.path;
    EXPECT_EQ(c.changed, RemoveFileSpec(path)) << c.path;
    EXPECT_EQ(c.folder, path) << c.path;
  }
}

}  // namespace
