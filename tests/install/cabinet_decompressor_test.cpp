// The platform decompressor under a sink that throws: the copy fails, the
// exception stays out of cabinet.dll and libmspack, and the decompressor
// keeps working.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "cabinet_writer.h"
#include "platform/CabinetDecompressor.h"
#include "platform/FileSystem.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

enum class ThrowAt { Nowhere, CabinetInfo, CopyFile, CloseFile };

// Writes members into the scratch folder; throws at the chosen notice of
// the second member (or the cabinet information).
class Sink : public platform::CabinetNotificationSink {
 public:
  Sink(std::string folder, ThrowAt throwAt) : folder_(std::move(folder)), throwAt_(throwAt) {}
  ~Sink() override {
    for (FILE* file : open_) std::fclose(file);
  }

  Answer OnNotice(const platform::CabinetNotice& notice) override {
    if (notice.kind == platform::CabinetNotification::CabinetInfo &&
        throwAt_ == ThrowAt::CabinetInfo)
      throw std::runtime_error("cabinet information refused");
    return Answer::Continue;
  }

  CopyAnswer OnCopyFile(const platform::CabinetNotice& notice) override {
    ++copies_;
    if (copies_ == 2 && throwAt_ == ThrowAt::CopyFile) throw std::runtime_error("copy refused");
    FILE* file = platform::OpenStdioFile(folder_ + "\\" + notice.name, "wb");
    if (!file) return {Answer::Abort, nullptr};
    open_.push_back(file);
    return {Answer::Continue, file};
  }

  bool OnCloseFile(const platform::CabinetNotice&, FILE* output) override {
    if (copies_ == 2 && throwAt_ == ThrowAt::CloseFile) throw std::bad_alloc();
    for (auto it = open_.begin(); it != open_.end(); ++it) {
      if (*it != output) continue;
      open_.erase(it);
      return std::fclose(output) == 0;
    }
    return false;
  }

 private:
  std::string folder_;
  ThrowAt throwAt_;
  int copies_ = 0;
  std::vector<FILE*> open_;
};

using CabinetDecompressorTest = MachineTest;

TEST_F(CabinetDecompressorTest, SinkThatThrowsFailsTheCopy) {
  const std::string folder = machine_.ScratchFolder() + "\\";
  ASSERT_TRUE(WriteTestFile(folder + "three.cab",
                            BuildStoredCabinet({{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}})));
  std::unique_ptr<platform::CabinetDecompressor> decompressor =
      platform::CabinetDecompressor::Create();
  ASSERT_NE(nullptr, decompressor);

  for (const ThrowAt throwAt : {ThrowAt::CabinetInfo, ThrowAt::CopyFile, ThrowAt::CloseFile}) {
    Sink sink(machine_.ScratchFolder(), throwAt);
    bool copied = true;
    EXPECT_NO_THROW(copied = decompressor->Copy("three.cab", folder, 0, sink));
    EXPECT_FALSE(copied) << static_cast<int>(throwAt);
    EXPECT_FALSE(PathExists(folder + "c.txt")) << static_cast<int>(throwAt);
  }

  Sink sink(machine_.ScratchFolder(), ThrowAt::Nowhere);
  EXPECT_TRUE(decompressor->Copy("three.cab", folder, 0, sink));
  EXPECT_EQ("c", ReadTestFile(folder + "c.txt"));
}

}  // namespace
