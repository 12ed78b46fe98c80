// A file cut short while its signature is being checked: the check ends in
// a failure code, as on Windows, and never takes the process down.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/EmbeddedSignature.h"
#include "platform/FileSystem.h"
#include "signing_fixtures.h"

namespace {

using SignatureFileRaceTest = MachineTest;

TEST_F(SignatureFileRaceTest, FileShortenedDuringTheCheckGivesAFailureCode) {
  // A signed program with 24 MB after its signature: the digest covers the
  // appended bytes, so every check reads the whole file.
  const std::string path = StageFixture(machine_, "signed.exe", "racing.exe");
  std::vector<unsigned char> bytes = ReadFileBytes(path);
  ASSERT_FALSE(bytes.empty());
  bytes.resize(bytes.size() + (24u << 20), 0x5A);
  WriteFileBytes(path, bytes);
  const std::string host = platform::ToNativePath(path);

  std::atomic<bool> done{false};
  std::thread cutter([&] {
    while (!done) {
      std::error_code ignored;
      std::filesystem::resize_file(host, 4096, ignored);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      std::fstream file(host, std::ios::binary | std::ios::in | std::ios::out);
      file.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
      file.close();
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  });

  platform::TrustFileRequest request;
  request.path = platform::ToWideString(path);
  for (int round = 0; round < 40; ++round) {
    const platform::HResult result = platform::VerifyTrustOfFile(request);
    EXPECT_NE(platform::kSOk, result) << round;
    platform::EmbeddedSignatureQuery query;
    query.QueryObject(request.path);
  }
  done = true;
  cutter.join();
}

}  // namespace
