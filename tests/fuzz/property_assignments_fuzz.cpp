// The deploy command's properties: a --params file and a --param
// NAME=VALUE, and the colour texts behind them. Whatever the check
// accepts, the setters take; a colour reads as the page's number would,
// and the text a getter gives back reads as the same colour.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "cli/PropertyAssignments.h"
#include "fuzz_support.h"
#include "session/CLoader.h"
#include "session/LoaderHost.h"

namespace {

CLoader& Loader() {
  static CLoader* loader = [] {
    FuzzScratch::Instance();
    static NoContainer host;
    return new CLoader(host);
  }();
  return *loader;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The colour a text names, by the C library's number reading.
ColorRef ExpectedColor(const std::string& text) {
  if (!text.empty() && text[0] == '#') {
    size_t end = 1;
    while (end < text.size() && IsHexDigit(text[end])) ++end;
    std::string digits = text.substr(1, end - 1);
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.size() > 8) return std::numeric_limits<uint32_t>::max();
    return digits.empty() ? 0 : static_cast<ColorRef>(std::strtoul(digits.c_str(), nullptr, 16));
  }
  const std::string terminated = text.substr(0, text.find('\0'));
  long long value = std::strtoll(terminated.c_str(), nullptr, 10);
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) value = std::numeric_limits<int32_t>::min();
  return static_cast<ColorRef>(static_cast<int32_t>(value));
}

void CheckColor(const std::string& text) {
  // A zero byte ends the text as the page's BSTR conversion would.
  const std::string shown = text.substr(0, text.find('\0'));
  const ColorRef color = ParseColor(shown);
  FUZZ_CHECK(color == ExpectedColor(shown));
  LoaderProperties& properties = Loader().Properties();
  FUZZ_CHECK(properties.put_ProgColor(shown) == platform::kSOk);
  std::string back;
  FUZZ_CHECK(properties.get_ProgColor(&back) == platform::kSOk);
  FUZZ_CHECK(ParseColor(back) == color);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = BytesOf(data, size);
  CLoader& loader = Loader();
  ControlSize controlSize;
  std::string error;

  // The whole input as a --params file.
  const std::string path = FuzzScratch::Instance().WriteFile("params.txt", text);
  std::vector<PropertyAssignment> assignments;
  if (ReadAssignmentsFile(path, assignments, error)) {
    for (const PropertyAssignment& assignment : assignments) {
      FUZZ_CHECK(assignment.property != nullptr);
      FUZZ_CHECK(CheckPropertyValue(*assignment.property, assignment.value).empty());
    }
    FUZZ_CHECK(ApplyAssignments(assignments, loader.Properties(), controlSize, error));
    FUZZ_CHECK(controlSize.width > 0 && controlSize.height > 0);
  } else {
    FUZZ_CHECK(!error.empty());
  }

  // Its first line as one --param.
  const std::string line = text.substr(0, text.find('\n'));
  PropertyAssignment assignment;
  if (ParseAssignment(line, "--param", assignment, error)) {
    FUZZ_CHECK(line.compare(line.size() - assignment.value.size(), std::string::npos, assignment.value) == 0);
    FUZZ_CHECK(ApplyAssignments({assignment}, loader.Properties(), controlSize, error));
  }

  CheckColor(line);
  return 0;
}
