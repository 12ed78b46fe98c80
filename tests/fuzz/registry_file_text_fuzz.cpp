// Registry files that come with components: any bytes load, in the encoding
// they came in; what is saved loads back as the same lines and saves the
// same; after the target folder is put in, no placeholder is left.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "install/RegistryFileText.h"

namespace {

constexpr char kPlaceholder[] = "[TARGETDIR]";
// Holds neither bracket, so putting it in cannot make a new placeholder.
constexpr char kTargetFolder[] = "C:\\Program Files\\Client \xC3\xA9";

std::string Saved(const RegistryFileText& text, const char* name) {
  const FuzzScratch& scratch = FuzzScratch::Instance();
  const std::string path = scratch.WriteFile(name, "");
  FUZZ_CHECK(text.Save(path));
  return scratch.ReadFile(name);
}

RegistryFileText Loaded(const std::string& bytes) {
  RegistryFileText text;
  FUZZ_CHECK(text.Load(FuzzScratch::Instance().WriteFile("input.reg", bytes)));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegistryFileText text = Loaded(BytesOf(data, size));
  const std::string saved = Saved(text, "saved.reg");
  const RegistryFileText reloaded = Loaded(saved);
  FUZZ_CHECK(reloaded.LineCount() == text.LineCount());
  FUZZ_CHECK(Saved(reloaded, "saved-again.reg") == saved);

  text.ReplaceEverywhere(kPlaceholder, kTargetFolder);
  for (size_t line = 0; line < text.LineCount(); ++line) {
    FUZZ_CHECK(!text.LineContains(line, kPlaceholder));
  }
  return 0;
}
