#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include "infra/SystemInfo.h"
#include "platform/Environment.h"
#include "platform/SystemFacts.h"
#include "platform/TextCompare.h"
#include "test_machine.h"

namespace {

class SystemFactsTest : public MachineTest {};

TEST_F(SystemFactsTest, SystemFoldersExistInWindowsShape) {
  std::string temp, windows, system;
  ASSERT_TRUE(platform::QueryTempFolder(temp));
  ASSERT_TRUE(platform::QueryWindowsFolder(windows));
  ASSERT_TRUE(platform::QuerySystemFolder(system));
  EXPECT_EQ('\\', temp.back());
  EXPECT_NE('\\', windows.back());
  EXPECT_NE('\\', system.back());
  EXPECT_TRUE(platform::OrdinalEqualsNoCase(windows + "\\system32", system))
      << windows << " / " << system;
  EXPECT_TRUE(FileExists(temp) && FileExists(windows) && FileExists(system));
  EXPECT_EQ(':', temp[1]);
}

TEST_F(SystemFactsTest, ThreadsHaveTheirOwnIds) {
  const uint32_t mine = platform::CurrentThreadId();
  uint32_t other = mine;
  std::thread([&other] { other = platform::CurrentThreadId(); }).join();
  EXPECT_NE(mine, other);
  EXPECT_NE(0u, platform::CurrentProcessId());
}

TEST_F(SystemFactsTest, LocalTimeFieldsAreInRange) {
  const platform::LocalTime t = platform::CurrentLocalTime();
  EXPECT_GE(t.year, 2024);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31) << t.month << "/" << t.day;
  EXPECT_TRUE(t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
              t.second <= 60 && t.millisecond >= 0 && t.millisecond <= 999);
}

TEST_F(SystemFactsTest, MachineConfigurationDescribesOsAndUser) {
  if (!TestMachine::IsConfigurable()) GTEST_SKIP() << "the facts of this machine are fixed";
  platform::OsVersion os;
  ASSERT_TRUE(platform::ReadOsVersion(os));
  EXPECT_EQ(10u, os.major);
  EXPECT_EQ(platform::kPlatformWin32Nt, os.platformId);
  EXPECT_EQ(platform::kProductWorkstation, os.productType);
  EXPECT_FALSE(platform::IsUserAdministrator());

  ASSERT_TRUE(machine_.Configure(
      "; a Windows 7 SP1 machine\n[os]\nmajor=6\nminor=1\nbuild=7601\nservice_pack=Service Pack "
      "1\n[user]\nname=tester\nadministrator=true\n"));
  ASSERT_TRUE(platform::ReadOsVersion(os));
  EXPECT_EQ(6u, os.major);
  EXPECT_EQ(1u, os.minor);
  EXPECT_EQ(7601u, os.build);
  EXPECT_EQ("Service Pack 1", os.servicePack);
  EXPECT_TRUE(platform::IsUserAdministrator());
  std::string local;
  ASSERT_TRUE(platform::QueryShellFolder(platform::ShellFolder::LocalAppData, local));
  EXPECT_EQ("C:\\Users\\tester\\AppData\\Local", local);
  EXPECT_TRUE(FileExists(local)) << "the shell folder is created on request";
}

TEST(Environment, ReadsWritesAndRemovesVariables) {
  const std::string name = "VARNIK_TEST_VARIABLE";
  std::string value = "untouched";
  platform::RemoveEnvironmentVariable(name);
  EXPECT_FALSE(platform::ReadEnvironmentVariable(name, value));
  EXPECT_EQ("untouched", value);

  ASSERT_TRUE(platform::WriteEnvironmentVariable(name, std::string(600, 'v')));
  ASSERT_TRUE(platform::ReadEnvironmentVariable(name, value));
  EXPECT_EQ(std::string(600, 'v'), value);

  ASSERT_TRUE(platform::RemoveEnvironmentVariable(name));
  EXPECT_FALSE(platform::ReadEnvironmentVariable(name, value));
}

}  // namespace
