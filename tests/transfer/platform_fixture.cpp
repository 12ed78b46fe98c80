#include "platform_fixture.h"

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "test_files.h"

const char kServedClassId[] = "7A1C3E52-9B4D-4F60-8E21-5D3C0B9A6F17";

namespace {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

}  // namespace

TestTransferHost::TestTransferHost(const std::string& folder)
    : serverRoot(PlatformRoot()), deploymentFolder(folder), paths_(settings_, mergedSetup_, failures) {
  platform::CreateDirectoryWithParents(folder);
}

std::vector<std::string> TestTransferHost::FailureTexts() const {
  std::vector<std::string> texts;
  for (const FailureList::Entry& entry : failures.Entries()) texts.push_back(entry.file + ": " + entry.description);
  return texts;
}

PlatformTest::PlatformTest()
    : trust_(FromBuildMachine(PlatformVariable("VARNIK_PLATFORM_CA"))),
      host_(machine_.ScratchFolder() + "\\deploy") {}

PlatformTest::~PlatformTest() {
  platform::RegistryKey key;
  if (platform::RegistryKey::Create(platform::RegistryRoot::CurrentUser, kInternetSettings, key)) return;
  for (const auto& saved : savedSettings_) {
    if (saved.second.type == platform::RegistryValueType::None) {
      key.DeleteValue(saved.first);
    } else {
      key.WriteValue(saved.first, saved.second);
    }
  }
}

bool PlatformTest::Logged(const std::string& level, const std::string& location,
                          const std::string& message) const {
  return log_.Contains("ZEL\t" + level + "\t" + location + "\t" + message + "\t");
}

bool PlatformTest::LoggedStart(const std::string& level, const std::string& location,
                               const std::string& start) const {
  return log_.Mentions("ZEL\t" + level + "\t" + location + "\t" + start);
}

void PlatformTest::SetInternetSetting(const std::string& name, const platform::RegistryValue& value) {
  platform::RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::RegistryKey::Create(platform::RegistryRoot::CurrentUser, kInternetSettings, key));
  bool saved = false;
  for (const auto& entry : savedSettings_) saved = saved || entry.first == name;
  if (!saved) {
    platform::RegistryValue before;
    if (key.QueryValue(name, before) != platform::kErrorSuccess) before = platform::RegistryValue();
    savedSettings_.emplace_back(name, before);
  }
  ASSERT_EQ(platform::kErrorSuccess, key.WriteValue(name, value));
}

platform::RegistryValue DwordValue(uint32_t number) {
  return {platform::RegistryValueType::Dword,
          {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number >> 16),
           static_cast<uint8_t>(number >> 24)}};
}

platform::RegistryValue StringValue(const std::string& text) {
  platform::RegistryValue value{platform::RegistryValueType::String, {text.begin(), text.end()}};
  value.data.push_back(0);
  return value;
}

void PlatformTest::UseSampleProxy() {
  SetInternetSetting("ProxyEnable", DwordValue(1));
  SetInternetSetting("ProxyServer", StringValue(PlatformVariable("VARNIK_PLATFORM_PROXY")));
  // Loopback addresses go through the proxy too.
  SetInternetSetting("ProxyOverride", StringValue("<-loopback>"));
}
