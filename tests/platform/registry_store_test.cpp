// The posix registry's hive files: what they hold, how they are merged into,
// and how concurrent writers share them.
#include "platform/posix/registry_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/posix/machine_root.h"
#include "platform/posix/reg_text.h"
#include "platform/posix/registry_hive.h"
#include "scratch_registry_key.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

using platform::RegistryAccess;
using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryValue;
using platform::RegistryValueType;
using platform::posix::HiveFilePath;

platform::posix::RegTextDocument ParseOrFail(const std::string& bytes) {
  platform::posix::RegTextDocument document;
  platform::posix::RegTextError error;
  EXPECT_TRUE(platform::posix::ParseRegText(bytes, document, error)) << error.message;
  return document;
}

class RegistryStoreTest : public MachineTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(platform::posix::MachineRoot() + "/registry");
  }
};

TEST_F(RegistryStoreTest, HiveFileIsRegeditTextThatReadsBackIdentically) {
  ScratchRegistryKey scratch;
  RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess,
            RegistryKey::Create(scratch.Root(), scratch.Path() + "\\Sub", key));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteString("Name", "C:\\dir \"x\""));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteString("", "default"));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteBinary("Blob", std::vector<uint8_t>(100, 0xAB)));
  const RegistryValue raw{RegistryValueType::String, {'n', 'o', 'z'}};
  ASSERT_EQ(platform::kErrorSuccess, key.WriteValue("Raw", raw));

  // The store's writer is the formatter (tested with the .reg text): parsing
  // and writing again gives the same bytes.
  const std::string file = ReadTestFile(HiveFilePath(RegistryRoot::CurrentUser));
  EXPECT_EQ(0u, file.find("Windows Registry Editor Version 5.00\r\n\r\n"));
  EXPECT_NE(std::string::npos,
            file.find("[HKEY_CURRENT_USER\\" + scratch.Path() + "\\Sub]\r\n\"Name\"=\"C:\\\\dir"))
      << file;
  EXPECT_EQ(file, platform::posix::FormatRegText(ParseOrFail(file)));

  RegistryValue value;
  ASSERT_EQ(platform::kErrorSuccess, key.QueryValue("Raw", value));
  EXPECT_EQ(raw.data, value.data);

  // Replaced atomically: nothing is left beside the hive and its lock.
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(platform::posix::MachineRoot() + "/registry"))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"current_user.reg", "current_user.reg.lock"}), names);
}

TEST_F(RegistryStoreTest, FreshMachineHiveIsSeededAndWrittenOnFirstChange) {
  const std::string path = HiveFilePath(RegistryRoot::LocalMachine);
  RegistryKey key;
  ASSERT_EQ(
      platform::kErrorSuccess,
      RegistryKey::Open(RegistryRoot::LocalMachine, "software\\microsoft\\windows\\currentversion",
                        RegistryAccess::Read, key));
  EXPECT_FALSE(std::filesystem::exists(path));

  RegistryKey created;
  ASSERT_EQ(platform::kErrorSuccess,
            RegistryKey::Create(RegistryRoot::LocalMachine, "SOFTWARE\\Vendor", created));
  const std::string file = ReadTestFile(path);
  EXPECT_NE(std::string::npos, file.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                                         "CurrentVersion]\r\n\"ProgramFilesDir\"="))
      << file;
  EXPECT_NE(std::string::npos, file.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"));
  // The seed is the machine hive's alone.
  EXPECT_EQ(
      platform::kErrorFileNotFound,
      RegistryKey::Open(RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion",
                        RegistryAccess::Read, key));
}

TEST_F(RegistryStoreTest, DamagedHiveIsRefusedAndLeftAsItWas) {
  const std::string path = HiveFilePath(RegistryRoot::CurrentUser);
  const std::vector<std::string> damaged = {
      "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=dword:xyz\r\n",
      // A hive holds keys of its own root only.
      "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n",
      "Windows Registry Editor Version 5.00\r\n[-HKEY_CURRENT_USER]\r\n",
  };
  for (const std::string& content : damaged) {
    ASSERT_TRUE(WriteTestFile(path, content));
    RegistryKey key;
    EXPECT_EQ(platform::posix::kErrorRegistryCorrupt,
              RegistryKey::Open(RegistryRoot::CurrentUser, "A", RegistryAccess::Read, key));
    EXPECT_EQ(platform::posix::kErrorRegistryCorrupt,
              RegistryKey::Create(RegistryRoot::CurrentUser, "B", key));
    EXPECT_EQ(content, ReadTestFile(path));
  }
}

TEST_F(RegistryStoreTest, MergingAppliesSectionsInOrder) {
  ScratchRegistryKey scratch;
  RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess,
            RegistryKey::Create(scratch.Root(), scratch.Path() + "\\Old\\Deep", key));
  ASSERT_EQ(platform::kErrorSuccess,
            RegistryKey::Create(scratch.Root(), scratch.Path() + "\\Keep", key));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteString("Stale", "x"));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteString("Kept", "y"));

  const std::string base = "HKEY_CURRENT_USER\\" + scratch.Path();
  const platform::posix::RegTextDocument import = ParseOrFail(
      "Windows Registry Editor Version 5.00\r\n[-" + base + "\\OLD]\r\n[" + base +
      "\\keep]\r\n\"STALE\"=-\r\n\"New\"=dword:00000001\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\ElsewhereOnly]\r\n[" + base + "\\Fresh\\Key]\r\n@=\"d\"\r\n");
  ASSERT_EQ(platform::kErrorSuccess,
            platform::posix::UpdateHive(RegistryRoot::CurrentUser,
                                        [&](platform::posix::RegistryHive& hive, bool& changed) {
                                          changed = hive.Merge(import);
                                          return platform::kErrorSuccess;
                                        }));

  RegistryKey opened;
  EXPECT_EQ(
      platform::kErrorFileNotFound,
      RegistryKey::Open(scratch.Root(), scratch.Path() + "\\Old", RegistryAccess::Read, opened));
  std::string text;
  EXPECT_EQ(platform::kErrorFileNotFound, key.ReadString("Stale", text));
  EXPECT_EQ(platform::kErrorSuccess, key.ReadString("Kept", text));
  uint32_t number = 0;
  EXPECT_EQ(platform::kErrorSuccess, key.ReadDword("New", number));
  ASSERT_EQ(platform::kErrorSuccess,
            RegistryKey::Open(scratch.Root(), scratch.Path() + "\\fresh\\key", RegistryAccess::Read,
                              opened));
  EXPECT_EQ(platform::kErrorSuccess, opened.ReadString("", text));
  EXPECT_EQ("d", text);
  // Sections of the other hive are not this one's.
  EXPECT_EQ(platform::kErrorFileNotFound,
            RegistryKey::Open(RegistryRoot::LocalMachine, "Software\\ElsewhereOnly",
                              RegistryAccess::Read, opened));
}

TEST_F(RegistryStoreTest, TwoProcessesWritingAtOnceKeepEachOthersValues) {
  ScratchRegistryKey scratch;
  constexpr int kWriters = 2;
  constexpr int kValuesEach = 60;
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t pid = fork();
    ASSERT_NE(-1, pid);
    if (pid == 0) {
      int failures = 0;
      for (int i = 0; i < kValuesEach; ++i) {
        // Each write opens its own key, as separate callers would.
        RegistryKey key;
        const std::string name = "w" + std::to_string(writer) + "-" + std::to_string(i);
        if (RegistryKey::Create(scratch.Root(), scratch.Path(), key) != platform::kErrorSuccess ||
            key.WriteDword(name, static_cast<uint32_t>(i)) != platform::kErrorSuccess)
          ++failures;
      }
      _exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess,
            RegistryKey::Open(scratch.Root(), scratch.Path(), RegistryAccess::Read, key));
  int found = 0;
  for (int i = 0; i < kWriters * kValuesEach; ++i) {
    const int writer = i / kValuesEach, value = i % kValuesEach;
    uint32_t number = 0;
    found += key.ReadDword("w" + std::to_string(writer) + "-" + std::to_string(value), number) ==
                 platform::kErrorSuccess &&
             number == static_cast<uint32_t>(value);
  }
  EXPECT_EQ(kWriters * kValuesEach, found);
}

TEST_F(RegistryStoreTest, NamesAFileCannotHoldAreRefused) {
  ScratchRegistryKey scratch;
  RegistryKey key;
  EXPECT_EQ(platform::kErrorInvalidParameter,
            RegistryKey::Create(scratch.Root(), scratch.Path() + "\\line\nbreak", key));
  ASSERT_EQ(platform::kErrorSuccess, RegistryKey::Create(scratch.Root(), scratch.Path(), key));
  EXPECT_EQ(platform::kErrorInvalidParameter, key.WriteDword("a\rb", 1));
}

}  // namespace
