// Cabinet extraction: any file is tested and extracted without a crash or
// a hang, and nothing is created or changed anywhere but below the
// destination folder, whatever the members are called.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz_support.h"
#include "install/CCabinetExtractor.h"

namespace {

constexpr char kCabinet[] = "C:\\input\\cabinet.cab";
constexpr char kDestination[] = "C:\\out";
// The destination as ListTree names it, from the scratch folder.
constexpr char kDestinationTree[] = "machine/drive_c/out/";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Everything in the scratch folder but the destination's content.
std::vector<std::string> OutsideTheDestination() {
  std::vector<std::string> outside;
  for (const std::string& path : FuzzScratch::ListTree(FuzzScratch::Instance().Folder())) {
    if (!StartsWith(path, kDestinationTree)) outside.push_back(path);
  }
  return outside;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzScratch& scratch = FuzzScratch::Instance();
  const std::filesystem::path drive = scratch.MachineRoot() + "/drive_c";
  std::filesystem::create_directories(drive / "input");
  std::filesystem::create_directories(drive / "out");
  static const std::unique_ptr<CCabinetExtractor> extractor = [&] {
    std::unique_ptr<CCabinetExtractor> created = CCabinetExtractor::Create();
    FUZZ_CHECK(created != nullptr);
    // The machine makes its standard folders and the logger's registry
    // locks on first use; let that happen before anything is compared.
    scratch.WriteFile("machine/drive_c/input/cabinet.cab", "");
    created->Copy(kCabinet, kDestination);
    return created;
  }();
  scratch.WriteFile("machine/drive_c/input/cabinet.cab", BytesOf(data, size));
  const std::vector<std::string> before = OutsideTheDestination();

  extractor->IsCabinet(kCabinet);
  extractor->Copy(kCabinet, kDestination);

  const std::vector<std::string> after = OutsideTheDestination();
  if (after != before) {
    for (const std::string& path : after) std::fprintf(stderr, "after extraction: %s\n", path.c_str());
  }
  FUZZ_CHECK(after == before);
  std::error_code ignored;
  std::filesystem::remove_all(drive / "out", ignored);
  return 0;
}
