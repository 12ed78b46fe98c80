// .reg text: any bytes are either refused with a reason or parsed; a parsed
// document is written as a file that parses again and is written the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/posix/reg_text.h"

using platform::posix::FormatRegText;
using platform::posix::ParseRegText;
using platform::posix::RegTextDocument;
using platform::posix::RegTextError;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegTextDocument document;
  RegTextError error;
  if (!ParseRegText(BytesOf(data, size), document, error)) {
    FUZZ_CHECK(!error.message.empty());
    FUZZ_CHECK(document.sections.empty());
    return 0;
  }
  const std::string written = FormatRegText(document);
  RegTextDocument reread;
  FUZZ_CHECK(ParseRegText(written, reread, error));
  FUZZ_CHECK(reread.sections.size() == document.sections.size());
  FUZZ_CHECK(FormatRegText(reread) == written);
  return 0;
}
