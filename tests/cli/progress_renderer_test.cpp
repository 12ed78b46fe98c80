#include <gtest/gtest.h>

#include <cctype>

#include "cli/TerminalText.h"
#include "cli_fakes.h"

namespace {

constexpr uint64_t kMiB = 1024 * 1024;
const char kErase[] = "\r\x1b[1A\x1b[J";
const char kTotalLine[] = "Total progress 50% (1 of 2): Download Main client in progress ...";
const char kReport[] =
    "Following client components were not downloaded successfully: \r\n\r\n1 . a.dll :\r\n"
    "Cannot download.\r\n\r\nClose all connections to Server and try again.";

class ProgressRendererTest : public ::testing::Test {
 protected:
  ProgressRendererTest() { rows_.status = "Download Main client in progress ..."; }

  // Two records, the first at 1 MiB of 4 MiB; then a second later 2 MiB.
  void FirstHalfOfAFile(ProgressRenderer& renderer) {
    renderer.OnDownloadStart();
    renderer.OnDownloadProgress(1, 2, "Main client");
    renderer.OnTransferBytes(0, kMiB, 4 * kMiB);
    renderer.OnFileDownloadProgress(25);
    clock_.Advance(1000);
    renderer.OnTransferBytes(0, 2 * kMiB, 4 * kMiB);
    renderer.OnFileDownloadProgress(50);
  }

  FakeClock clock_;
  RecordingTerminal terminal_;
  FixedRows rows_;
};

// Drops the escape sequences; what remains of a drawing is its lines.
std::vector<std::string> DrawnLines(const std::string& write) {
  std::string text;
  for (size_t at = 0; at < write.size(); ++at) {
    if (write[at] == '\x1b') {
      while (at < write.size() && !std::isalpha(static_cast<unsigned char>(write[at]))) ++at;
    } else if (write[at] != '\r') {
      text += write[at];
    }
  }
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

TEST_F(ProgressRendererTest, InteractiveRedrawsTwoLinesInPlaceAtMostTenTimesASecond) {
  ProgressRenderer renderer(ProgressMode::Interactive, terminal_, rows_, clock_);
  FirstHalfOfAFile(renderer);
  const std::string emptyBar = "  [" + std::string(40, '.') + "]";
  const std::string halfBar = "  [" + std::string(20, '#') + std::string(20, '.') + "]";
  ASSERT_EQ(3u, terminal_.writes.size());
  EXPECT_EQ("Download started.\n", terminal_.writes[0]);
  // The status row of the window, the total worked out from the event.
  EXPECT_EQ(std::string(kTotalLine) + "\n" + emptyBar, terminal_.writes[1]);
  // The reports at 0 ms and the event right after the second count are
  // not drawn; the bytes (newer than the event) give the percentage.
  EXPECT_EQ(std::string(kErase) + kTotalLine + "\n" + halfBar +
                "   50%  2.0 MiB of 4.0 MiB  1.0 MiB/s  0:02 left",
            terminal_.writes[2]);

  // A message goes above the lines, which come back below it.
  renderer.OnError("File='a.dll', Description: 'Cannot download.'");
  ASSERT_EQ(6u, terminal_.writes.size());
  EXPECT_EQ(kErase, terminal_.writes[3]);
  EXPECT_EQ("Error: File='a.dll', Description: 'Cannot download.'\n", terminal_.writes[4]);
  EXPECT_EQ(std::string(kTotalLine) + "\n" + halfBar + "   50%  2.0 MiB of 4.0 MiB  1.0 MiB/s  0:02 left",
            terminal_.writes[5]);

  // The end of a file is drawn at once; the rate covers the whole window.
  clock_.Advance(50);
  renderer.OnTransferBytes(0, 4 * kMiB, 4 * kMiB);
  renderer.OnFileDownloadProgress(100);
  ASSERT_EQ(7u, terminal_.writes.size());
  EXPECT_EQ(std::string(kErase) + kTotalLine + "\n  [" + std::string(40, '#') +
                "]  100%  4.0 MiB of 4.0 MiB  2.9 MiB/s  0:00 left",
            terminal_.writes[6]);

  renderer.Finish("Deployment finished.");
  EXPECT_EQ((std::vector<std::string>{kErase, "Deployment finished.\n"}),
            std::vector<std::string>(terminal_.writes.end() - 2, terminal_.writes.end()));
}

// The closing summary counts the components fetched and their bytes, the
// last file's included; a run that fetched nothing says so.
TEST_F(ProgressRendererTest, TheSummarySaysWhatWasFetched) {
  ProgressRenderer renderer(ProgressMode::Plain, terminal_, rows_, clock_);
  EXPECT_EQ("Nothing was downloaded: every component was in place already.",
            renderer.TransferSummary());
  FirstHalfOfAFile(renderer);
  renderer.OnTransferBytes(0, 4 * kMiB, 4 * kMiB);
  renderer.OnDownloadProgress(2, 2, "Library");
  renderer.OnTransferBytes(1, kMiB / 2, kMiB / 2);
  EXPECT_EQ("Downloaded 2 components, 4.5 MiB.", renderer.TransferSummary());
}

TEST_F(ProgressRendererTest, NarrowTerminalsGetFittedLinesAndNoBar) {
  terminal_.columns = 30;
  rows_.status = "Téléchargement de «Größe» en cours ...";
  ProgressRenderer renderer(ProgressMode::Interactive, terminal_, rows_, clock_);
  FirstHalfOfAFile(renderer);
  for (size_t i = 1; i < terminal_.writes.size(); ++i) {
    for (const std::string& line : DrawnLines(terminal_.writes[i]))
      EXPECT_LE(ColumnCount(line), 29u) << line;  // the last column stays free
  }
  // The figures come first; the bar has no room left beside them.
  EXPECT_EQ((std::vector<std::string>{"Total progress 50% (1 of 2...", "   50%  2.0 MiB of 4.0 MiB..."}),
            DrawnLines(terminal_.writes.back()));

  // Too narrow for anything but a cut line: still no wrapping.
  terminal_.columns = 2;
  clock_.Advance(1000);
  renderer.OnFileDownloadProgress(60);
  EXPECT_EQ((std::vector<std::string>{"T", " "}), DrawnLines(terminal_.writes.back()));
}

TEST_F(ProgressRendererTest, WithoutByteCountsTheTimeLeftComesFromThePercentage) {
  rows_.status.clear();
  ProgressRenderer renderer(ProgressMode::Interactive, terminal_, rows_, clock_);
  renderer.OnDownloadProgress(1, 1, "Only part");
  renderer.OnFileDownloadProgress(10);
  clock_.Advance(1000);
  renderer.OnFileDownloadProgress(30);  // 20 points a second, 70 to go
  EXPECT_EQ((std::vector<std::string>{"Total progress 100% (1 of 1): Only part",
                                      "  [" + std::string(12, '#') + std::string(28, '.') +
                                          "]   30%  0:04 left"}),
            DrawnLines(terminal_.writes.back()));
}

TEST_F(ProgressRendererTest, PlainWritesOneLinePerEventAndFileProgressByTenths) {
  ProgressRenderer renderer(ProgressMode::Plain, terminal_, rows_, clock_);
  FirstHalfOfAFile(renderer);
  renderer.OnTransferBytes(0, 2 * kMiB + 1, 4 * kMiB);
  renderer.OnFileDownloadProgress(51);  // the same tenth: no line
  renderer.OnTransferBytes(0, 4 * kMiB, 4 * kMiB);
  renderer.OnFileDownloadProgress(100);
  renderer.OnError("File='a.dll', Description: 'Cannot download.'");
  renderer.OnFailure(kReport);
  renderer.Finish("Deployment failed.");
  EXPECT_EQ(std::string("Download started.\n") + kTotalLine +
                "\n"
                "[1/2] 25% (1.0 MiB of 4.0 MiB)\n"
                "[1/2] 50% (2.0 MiB of 4.0 MiB)\n"
                "[1/2] 100% (4.0 MiB of 4.0 MiB)\n"
                "Error: File='a.dll', Description: 'Cannot download.'\n"
                "Deployment failed:\n"
                "Following client components were not downloaded successfully: \n\n1 . a.dll :\n"
                "Cannot download.\n\nClose all connections to Server and try again.\n"
                "Deployment failed.\n",
            terminal_.All());
  EXPECT_EQ(std::string::npos, terminal_.All().find('\x1b'));
}

TEST_F(ProgressRendererTest, QuietPrintsOnlyTheFailureReport) {
  ProgressRenderer renderer(ProgressMode::Quiet, terminal_, rows_, clock_);
  FirstHalfOfAFile(renderer);
  renderer.OnError("File='a.dll', Description: 'Cannot download.'");
  renderer.OnReady();
  renderer.OnFailure(kReport);
  renderer.Finish("Deployment failed.");
  ASSERT_EQ(1u, terminal_.writes.size());
  EXPECT_EQ(0u, terminal_.writes[0].rfind("Deployment failed:\nFollowing client components", 0));
}

TEST(TerminalTextTest, FittingSizesDurationsAndBars) {
  EXPECT_EQ("Größe", FitToColumns("Größe", 5));
  EXPECT_EQ("Gr...", FitToColumns("Größe!", 5));  // never half a character
  EXPECT_EQ("Gr", FitToColumns("Größe!", 2));
  EXPECT_EQ(6u, ColumnCount("«Größe"));
  EXPECT_EQ("0 B", FormatBytes(0));
  EXPECT_EQ("1023 B", FormatBytes(1023));
  EXPECT_EQ("1.0 KiB", FormatBytes(1024));
  EXPECT_EQ("1.0 MiB", FormatBytes(1024 * 1024 - 1));  // not "1024.0 KiB"
  EXPECT_EQ("1.5 GiB", FormatBytes(3ull << 29));
  EXPECT_EQ("--:--", FormatDuration(-1));
  EXPECT_EQ("0:07", FormatDuration(7));
  EXPECT_EQ("12:03", FormatDuration(723));
  EXPECT_EQ("1:02:03", FormatDuration(3723));
  EXPECT_EQ("[##..]", FormatBar(50, 6));
  EXPECT_EQ("[....]", FormatBar(-5, 6));
  EXPECT_EQ("[####]", FormatBar(250, 6));
  EXPECT_EQ("", FormatBar(50, 1));
}

TEST(TransferRateTest, RateOverTheLastSecondsAndTimeLeftRoundedUp) {
  TransferRate rate(5000);
  EXPECT_EQ(0, rate.PerSecond());
  EXPECT_EQ(-1, rate.SecondsLeft(100));
  rate.Add(0, 0);
  rate.Add(150, 1000);
  EXPECT_EQ(0, rate.PerSecond());  // too short a span to tell
  rate.Add(1000, 3000);
  EXPECT_DOUBLE_EQ(3000, rate.PerSecond());
  EXPECT_EQ(3, rate.SecondsLeft(10000));  // 7000 left: 2.33 s
  EXPECT_EQ(0, rate.SecondsLeft(2000));   // already past
  // Old samples leave the window: a stall shows as a falling rate.
  rate.Add(6000, 3000);
  rate.Add(9000, 3000);
  EXPECT_DOUBLE_EQ(0, rate.PerSecond());
  EXPECT_EQ(-1, rate.SecondsLeft(10000));
  // A transfer that starts again forgets the old one.
  rate.Add(9100, 0);
  rate.Add(9600, 500);
  EXPECT_DOUBLE_EQ(1000, rate.PerSecond());
}

}  // namespace
