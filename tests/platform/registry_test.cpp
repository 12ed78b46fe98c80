// The registry interface as the core sees it. The same cases run against the
// hive files of the posix port and the real registry under Wine.
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "scratch_registry_key.h"
#include "test_machine.h"

namespace {

using platform::RegistryAccess;
using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryValue;
using platform::RegistryValueType;
using platform::kErrorSuccess;
constexpr RegistryAccess kRead = RegistryAccess::Read;

// The bytes of a string literal, embedded zeros included.
template <size_t N>
std::vector<uint8_t> Bytes(const char (&text)[N]) {
  return std::vector<uint8_t>(text, text + N - 1);
}

class RegistryTest : public MachineTest {
 protected:
  std::string Path(const std::string& below) const { return scratch_.Path() + "\\" + below; }

  // Open and delete below the scratch key, as the API answers.
  platform::Win32Error Open(const std::string& below, RegistryKey& key,
                            RegistryAccess access = kRead) {
    return RegistryKey::Open(scratch_.Root(), Path(below), access, key);
  }
  platform::Win32Error DeleteTree(const std::string& below) {
    return RegistryKey::DeleteTree(scratch_.Root(), Path(below));
  }

  RegistryKey CreateKey(const std::string& below) {
    RegistryKey key;
    EXPECT_EQ(kErrorSuccess, RegistryKey::Create(scratch_.Root(), Path(below), key));
    return key;
  }

  RegistryKey OpenKey(const std::string& below, RegistryAccess access = kRead) {
    RegistryKey key;
    EXPECT_EQ(kErrorSuccess, Open(below, key, access));
    return key;
  }

  ScratchRegistryKey scratch_;
};

TEST_F(RegistryTest, CreateMakesMissingParentsAndOpensExistingKeys) {
  ASSERT_EQ(kErrorSuccess, CreateKey("a\\b\\c").WriteDword("n", 7));
  EXPECT_TRUE(OpenKey("a\\b").IsOpen());

  // Creating an existing key opens it with its values.
  RegistryKey again = CreateKey("a\\b\\c");
  uint32_t number = 0;
  EXPECT_EQ(kErrorSuccess, again.ReadDword("n", number));
  EXPECT_EQ(7u, number);

  // A trailing separator is harmless; a leading one is a bad path.
  EXPECT_TRUE(OpenKey("a\\b\\c\\").IsOpen());
  RegistryKey key;
  EXPECT_EQ(platform::kErrorBadPathname,
            RegistryKey::Open(scratch_.Root(), "\\" + Path("a"), kRead, key));
  EXPECT_FALSE(key.IsOpen());

  key = std::move(again);
  EXPECT_EQ(kErrorSuccess, key.ReadDword("n", number));
  key.Close();
  EXPECT_EQ(platform::kErrorInvalidHandle, key.ReadDword("n", number));
}

TEST_F(RegistryTest, MissingKeysAndValuesAnswerFileNotFound) {
  RegistryKey key;
  EXPECT_EQ(platform::kErrorFileNotFound, Open("missing", key));
  EXPECT_EQ(platform::kErrorFileNotFound, Open("no\\such", key, RegistryAccess::ReadWrite));
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(platform::kErrorFileNotFound, DeleteTree("gone"));

  key = CreateKey("present");
  RegistryValue value{RegistryValueType::Binary, {1, 2}};
  EXPECT_EQ(platform::kErrorFileNotFound, key.QueryValue("absent", value));
  EXPECT_EQ(RegistryValueType::None, value.type);
  EXPECT_TRUE(value.data.empty());
  EXPECT_EQ(platform::kErrorFileNotFound, key.QueryValue("", value));
  EXPECT_EQ(platform::kErrorFileNotFound, key.DeleteValue("absent"));
}

TEST_F(RegistryTest, ValuesComeBackWithTheirTypeAndBytes) {
  RegistryKey key = CreateKey("values");
  ASSERT_EQ(kErrorSuccess, key.WriteString("Text", "C:\\Program Files\\\"q\""));
  ASSERT_EQ(kErrorSuccess,
            key.WriteString("Expand", "%TEMP%\\cache", RegistryValueType::ExpandString));
  ASSERT_EQ(kErrorSuccess, key.WriteString("", "default"));
  ASSERT_EQ(kErrorSuccess, key.WriteDword("Number", 0xDEADBEEF));
  ASSERT_EQ(kErrorSuccess, key.WriteBinary("Blob", {0x00, 0xFF, 0x10, 0x00, 0x7F}));
  const std::pair<std::string, RegistryValue> raw[] = {
      {"Multi", {RegistryValueType::MultiString, Bytes("one\0two\0\0")}},
      {"Big", {RegistryValueType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}}}};
  for (const auto& [name, value] : raw) ASSERT_EQ(kErrorSuccess, key.WriteValue(name, value));

  // Read through a second key so nothing can come from the writer.
  RegistryKey reader = OpenKey("values");
  const std::pair<std::string, RegistryValue> expected[] = {
      {"Text", {RegistryValueType::String, Bytes("C:\\Program Files\\\"q\"\0")}},
      {"Expand", {RegistryValueType::ExpandString, Bytes("%TEMP%\\cache\0")}},
      {"", {RegistryValueType::String, Bytes("default\0")}},
      {"Number", {RegistryValueType::Dword, {0xEF, 0xBE, 0xAD, 0xDE}}},
      {"Blob", {RegistryValueType::Binary, {0x00, 0xFF, 0x10, 0x00, 0x7F}}},
      raw[0], raw[1]};
  for (const auto& [name, written] : expected) {
    RegistryValue value;
    ASSERT_EQ(kErrorSuccess, reader.QueryValue(name, value)) << name;
    EXPECT_EQ(written.type, value.type) << name;
    EXPECT_EQ(written.data, value.data) << name;
  }
  std::string text;
  ASSERT_EQ(kErrorSuccess, reader.ReadString("Expand", text));
  EXPECT_EQ("%TEMP%\\cache", text);
  uint32_t number = 0;
  ASSERT_EQ(kErrorSuccess, reader.ReadDword("Number", number));
  EXPECT_EQ(0xDEADBEEFu, number);
}

TEST_F(RegistryTest, TypedReadersCheckTheTypeAndWritesReplaceIt) {
  RegistryKey key = CreateKey("typed");
  ASSERT_EQ(kErrorSuccess, key.WriteString("s", std::string("before\0after", 12)));
  ASSERT_EQ(kErrorSuccess, key.WriteValue("short", {RegistryValueType::Dword, {1, 2}}));
  ASSERT_EQ(kErrorSuccess, key.WriteValue("m", {RegistryValueType::MultiString, Bytes("a\0\0")}));

  std::string text = "unchanged";
  uint32_t number = 99;
  EXPECT_EQ(platform::kErrorInvalidData, key.ReadString("m", text));
  EXPECT_EQ("unchanged", text);
  EXPECT_EQ(platform::kErrorInvalidData, key.ReadDword("s", number));
  EXPECT_EQ(platform::kErrorInvalidData, key.ReadDword("short", number));
  EXPECT_EQ(99u, number);

  // The text ends at the first zero; the raw bytes keep everything.
  ASSERT_EQ(kErrorSuccess, key.ReadString("s", text));
  EXPECT_EQ("before", text);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(kErrorSuccess, key.ReadBinary("s", bytes));
  EXPECT_EQ(Bytes("before\0after\0"), bytes);

  ASSERT_EQ(kErrorSuccess, key.WriteDword("s", 5));
  EXPECT_EQ(platform::kErrorInvalidData, key.ReadString("s", text));
  ASSERT_EQ(kErrorSuccess, key.DeleteValue("s"));
  EXPECT_EQ(platform::kErrorFileNotFound, key.ReadDword("s", number));

  EXPECT_EQ(platform::kErrorInvalidParameter, key.WriteString("x", "x", RegistryValueType::Dword));
}

TEST_F(RegistryTest, MaxBytesActsAsTheCallersBuffer) {
  RegistryKey key = CreateKey("limits");
  ASSERT_EQ(kErrorSuccess, key.WriteString("s", "hello"));
  ASSERT_EQ(kErrorSuccess, key.WriteDword("d", 42));

  RegistryValue value;
  ASSERT_EQ(kErrorSuccess, key.QueryValue("s", value, 6));
  EXPECT_EQ(Bytes("hello\0"), value.data);
  // One byte short of the terminating zero is too small.
  EXPECT_EQ(platform::kErrorMoreData, key.QueryValue("s", value, 5));
  EXPECT_EQ(RegistryValueType::String, value.type);
  EXPECT_TRUE(value.data.empty());
  EXPECT_EQ(platform::kErrorMoreData, key.QueryValue("s", value, 0));

  ASSERT_EQ(kErrorSuccess, key.QueryValue("d", value, 4));
  EXPECT_EQ(4u, value.data.size());
  EXPECT_EQ(platform::kErrorMoreData, key.QueryValue("d", value, 3));
  EXPECT_TRUE(value.data.empty());
}

TEST_F(RegistryTest, EnumeratesDirectSubKeysInNameOrder) {
  RegistryKey parent = CreateKey("list");
  std::vector<std::string> names{"stale"};
  ASSERT_EQ(kErrorSuccess, parent.EnumerateSubKeys(names));
  EXPECT_TRUE(names.empty());

  for (const char* name : {"beta", "Alpha", "gamma", "Alpha\\deeper"})
    CreateKey("list\\" + std::string(name));
  ASSERT_EQ(kErrorSuccess, parent.EnumerateSubKeys(names));
  EXPECT_EQ((std::vector<std::string>{"Alpha", "beta", "gamma"}), names);
}

TEST_F(RegistryTest, DeleteTreeRemovesTheKeyAndEverythingBelow) {
  ASSERT_EQ(kErrorSuccess, CreateKey("tree\\doomed\\child\\leaf").WriteDword("v", 1));
  ASSERT_EQ(kErrorSuccess, CreateKey("tree\\doomed").WriteDword("w", 1));
  CreateKey("tree\\kept");

  ASSERT_EQ(kErrorSuccess, DeleteTree("tree\\doomed"));
  RegistryKey key;
  EXPECT_EQ(platform::kErrorFileNotFound, Open("tree\\doomed", key));
  std::vector<std::string> names;
  ASSERT_EQ(kErrorSuccess, OpenKey("tree").EnumerateSubKeys(names));
  EXPECT_EQ(std::vector<std::string>{"kept"}, names);

  EXPECT_EQ(platform::kErrorInvalidParameter, RegistryKey::DeleteTree(scratch_.Root(), ""));
}

TEST_F(RegistryTest, AKeyDeletedWhileOpenAnswersKeyDeleted) {
  RegistryKey key = CreateKey("vanishing\\inner");
  ASSERT_EQ(kErrorSuccess, key.WriteDword("d", 1));
  ASSERT_EQ(kErrorSuccess, DeleteTree("vanishing"));

  RegistryValue value;
  EXPECT_EQ(platform::kErrorKeyDeleted, key.QueryValue("d", value));
  EXPECT_EQ(platform::kErrorKeyDeleted, key.WriteDword("d", 2));
  EXPECT_EQ(platform::kErrorKeyDeleted, key.DeleteValue("d"));
  std::vector<std::string> names;
  EXPECT_EQ(platform::kErrorKeyDeleted, key.EnumerateSubKeys(names));
}

TEST_F(RegistryTest, NamesIgnoreCaseButKeepTheCaseTheyWereCreatedWith) {
  RegistryKey key = CreateKey("case\\MixedCase");
  ASSERT_EQ(kErrorSuccess, key.WriteString("ValueName", "first"));

  RegistryKey other = OpenKey("CASE\\mixedcase", RegistryAccess::ReadWrite);
  std::string text;
  ASSERT_EQ(kErrorSuccess, other.ReadString("VALUENAME", text));
  EXPECT_EQ("first", text);
  ASSERT_EQ(kErrorSuccess, other.WriteString("valuename", "second"));
  ASSERT_EQ(kErrorSuccess, key.ReadString("ValueName", text));
  EXPECT_EQ("second", text);

  // Creating it again in other letters does not rename it.
  CreateKey("case\\MIXEDCASE");
  std::vector<std::string> names;
  ASSERT_EQ(kErrorSuccess, OpenKey("Case").EnumerateSubKeys(names));
  EXPECT_EQ(std::vector<std::string>{"MixedCase"}, names);

  ASSERT_EQ(kErrorSuccess, other.DeleteValue("VALUEname"));
  EXPECT_EQ(platform::kErrorFileNotFound, key.ReadString("ValueName", text));
}

TEST_F(RegistryTest, KeysOpenedForReadingRefuseChanges) {
  ASSERT_EQ(kErrorSuccess, CreateKey("readonly").WriteString("v", "kept"));
  RegistryKey key = OpenKey("readonly");
  EXPECT_EQ(platform::kErrorAccessDenied, key.WriteString("v", "changed"));
  EXPECT_EQ(platform::kErrorAccessDenied, key.DeleteValue("v"));
  std::string text;
  ASSERT_EQ(kErrorSuccess, key.ReadString("v", text));
  EXPECT_EQ("kept", text);
}

TEST_F(RegistryTest, MachineAndUserHivesAreKeptApart) {
  ScratchRegistryKey machineScratch(RegistryRoot::LocalMachine, scratch_.Path());
  RegistryKey machine;
  ASSERT_EQ(kErrorSuccess, RegistryKey::Create(RegistryRoot::LocalMachine, Path("shared"), machine));
  ASSERT_EQ(kErrorSuccess, machine.WriteString("who", "machine"));
  ASSERT_EQ(kErrorSuccess, CreateKey("shared").WriteString("who", "user"));

  std::string text;
  ASSERT_EQ(kErrorSuccess, OpenKey("shared").ReadString("who", text));
  EXPECT_EQ("user", text);
  ASSERT_EQ(kErrorSuccess, RegistryKey::DeleteTree(RegistryRoot::CurrentUser, Path("shared")));
  ASSERT_EQ(kErrorSuccess, machine.ReadString("who", text));
  EXPECT_EQ("machine", text);
}

TEST_F(RegistryTest, TheMachineKnowsItsProgramFolders) {
  RegistryKey key;
  ASSERT_EQ(kErrorSuccess, RegistryKey::Open(RegistryRoot::LocalMachine,
                                             "Software\\Microsoft\\Windows\\CurrentVersion", kRead,
                                             key));
  std::string text;
  ASSERT_EQ(kErrorSuccess, key.ReadString("ProgramFilesDir", text));
  EXPECT_EQ("C:\\Program Files", text);
  ASSERT_EQ(kErrorSuccess, key.ReadString("CommonFilesDir", text));
  EXPECT_EQ("C:\\Program Files\\Common Files", text);
}

}  // namespace
