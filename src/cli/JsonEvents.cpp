#include "cli/JsonEvents.h"

#include <nlohmann/json.hpp>

#include "cli/Utf8Text.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"

namespace {

using json = nlohmann::ordered_json;

// Floor division, so times before 1970 land on the right day too.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::string FormatUtcTimestamp(int64_t unixMs) {
  const int64_t msPerDay = 86400000;
  int64_t days = FloorDiv(unixMs, msPerDay);
  const int64_t inDay = unixMs - days * msPerDay;
  // Civil date from a day count (proleptic Gregorian calendar, eras of
  // 400 years).
  days += 719468;
  const int64_t era = FloorDiv(days, 146097);
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return Format("%04lld-%02lld-%02lldT%02lld:%02lld:%02lld.%03lldZ", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day),
                static_cast<long long>(inDay / 3600000), static_cast<long long>(inDay / 60000 % 60),
                static_cast<long long>(inDay / 1000 % 60), static_cast<long long>(inDay % 1000));
}

template <typename Fill>
platform::HResult JsonEventWriter::Write(const char* event, Fill fill) {
  json line = {{"time", FormatUtcTimestamp(clock_.UnixMs())}, {"event", event}};
  fill(line);
  // Text is well-formed UTF-8 already; replacing is the last guard against
  // an exception on the session's thread.
  out_ << line.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
  out_.flush();
  if (!out_ && healthy_) {
    healthy_ = false;
    SimpleLogger::GetInstance()->Warning("varnik-loader deploy",
                                         "The events cannot be written; the deployment goes on.");
  }
  return platform::kSOk;
}

platform::HResult JsonEventWriter::OnDownloadStart() {
  return Write("download-start", [](json&) {});
}

platform::HResult JsonEventWriter::OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                                      const std::string& description) {
  bytesKnown_ = false;
  return Write("download-progress", [&](json& line) {
    line["fileNo"] = fileNo;
    line["totalFiles"] = totalFiles;
    line["description"] = NarrowToUtf8(description);
  });
}

void JsonEventWriter::OnTransferBytes(int32_t, uint64_t received, uint64_t expected) {
  bytesKnown_ = true;
  received_ = received;
  expected_ = expected;
}

platform::HResult JsonEventWriter::OnFileDownloadProgress(int32_t percentage) {
  return Write("file-progress", [&](json& line) {
    line["percentage"] = percentage;
    if (bytesKnown_) {
      line["received"] = received_;
      line["expected"] = expected_;
    }
  });
}

platform::HResult JsonEventWriter::OnError(const std::string& message) {
  return Write("error", [&](json& line) { line["message"] = NarrowToUtf8(message); });
}

platform::HResult JsonEventWriter::OnFailure(const std::string& message) {
  return Write("failure", [&](json& line) { line["message"] = NarrowToUtf8(message); });
}

platform::HResult JsonEventWriter::OnReady() { return Write("ready", [](json&) {}); }

platform::HResult JsonEventWriter::OnUIActive() { return Write("ui-active", [](json&) {}); }

platform::HResult JsonEventWriter::OnSlo() { return Write("slo", [](json&) {}); }

void JsonEventWriter::WriteEnd(const std::string& outcome, int exitCode, const std::string& reason) {
  Write("end", [&](json& line) {
    line["outcome"] = outcome;
    line["exitCode"] = exitCode;
    line["reason"] = NarrowToUtf8(reason);
  });
}
