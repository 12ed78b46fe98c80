#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/JsonEvents.h"
#include "cli_fakes.h"

namespace {

using Json = nlohmann::ordered_json;

std::vector<Json> ParseLines(const std::string& text) {
  std::vector<Json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(Json::parse(line));
  return lines;
}

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
  return keys;
}

TEST(JsonEventsTest, OneObjectPerEventInOrderWithItsArguments) {
  FakeClock clock;
  std::ostringstream out;
  JsonEventWriter writer(out, clock);
  writer.OnDownloadStart();
  writer.OnDownloadProgress(1, 2, "Main client");
  writer.OnTransferBytes(0, 1024, 4096);
  clock.Advance(877);  // past midnight of a leap day
  writer.OnFileDownloadProgress(25);
  // A new record: its byte counts are not known yet.
  writer.OnDownloadProgress(2, 2, "Second \"part\"\r\n");
  writer.OnFileDownloadProgress(40);
  writer.OnError("File='a.dll', Description: 'Cannot download.'");
  writer.OnFailure("Following client components ...\r\nClose all connections");
  writer.OnReady();
  writer.OnUIActive();
  writer.OnSlo();
  writer.WriteEnd("failure", 1, "");
  ASSERT_TRUE(writer.Healthy());

  const std::string text = out.str();
  ASSERT_EQ('\n', text.back());
  const std::vector<Json> lines = ParseLines(text);
  ASSERT_EQ(11u, lines.size());
  const std::vector<std::pair<std::string, std::vector<std::string>>> schema = {
      {"download-start", {}},
      {"download-progress", {"fileNo", "totalFiles", "description"}},
      {"file-progress", {"percentage", "received", "expected"}},
      {"download-progress", {"fileNo", "totalFiles", "description"}},
      {"file-progress", {"percentage"}},
      {"error", {"message"}},
      {"failure", {"message"}},
      {"ready", {}},
      {"ui-active", {}},
      {"slo", {}},
      {"end", {"outcome", "exitCode", "reason"}},
  };
  for (size_t i = 0; i < schema.size(); ++i) {
    std::vector<std::string> keys = {"time", "event"};
    keys.insert(keys.end(), schema[i].second.begin(), schema[i].second.end());
    EXPECT_EQ(keys, Keys(lines[i])) << i;
    EXPECT_EQ(schema[i].first, lines[i]["event"]) << i;
  }
  EXPECT_EQ("2024-02-29T23:59:59.123Z", lines[0]["time"]);
  EXPECT_EQ("2024-03-01T00:00:00.000Z", lines[2]["time"]);
  EXPECT_EQ(1, lines[1]["fileNo"]);
  EXPECT_EQ(2, lines[1]["totalFiles"]);
  EXPECT_EQ("Main client", lines[1]["description"]);
  EXPECT_EQ(25, lines[2]["percentage"]);
  EXPECT_EQ(1024u, lines[2]["received"]);
  EXPECT_EQ(4096u, lines[2]["expected"]);
  EXPECT_EQ("Second \"part\"\r\n", lines[3]["description"]);
  EXPECT_EQ("File='a.dll', Description: 'Cannot download.'", lines[5]["message"]);
  EXPECT_EQ(1, lines[10]["exitCode"]);
}

TEST(JsonEventsTest, TextThatIsNoUtf8StillMakesValidLinesAndAFailedStreamIsNoted) {
  FakeClock clock;
  std::ostringstream out;
  JsonEventWriter writer(out, clock);
  // On posix the bytes become U+FFFD; on Windows they are text of the ANSI
  // code page. Either way the line parses.
  writer.OnDownloadProgress(1, 1, "Caf\xE9 \xFF\xFE client");
  const Json line = Json::parse(out.str());
  const std::string description = line["description"];
  EXPECT_EQ(0u, description.rfind("Caf", 0));
  EXPECT_NE(std::string::npos, description.find(" client"));

  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  JsonEventWriter failing(broken, clock);
  failing.OnReady();
  EXPECT_FALSE(failing.Healthy());
}

TEST(JsonEventsTest, TimestampsAcrossCalendarEdges) {
  EXPECT_EQ("1970-01-01T00:00:00.000Z", FormatUtcTimestamp(0));
  EXPECT_EQ("1969-12-31T23:59:59.999Z", FormatUtcTimestamp(-1));
  EXPECT_EQ("2000-02-29T12:00:00.500Z", FormatUtcTimestamp(951825600500));
  EXPECT_EQ("2100-03-01T00:00:00.000Z", FormatUtcTimestamp(4107542400000));
  EXPECT_EQ("2038-01-19T03:14:08.000Z", FormatUtcTimestamp(2147483648000));
}

}  // namespace
