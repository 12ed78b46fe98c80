// PE version resources: any bytes give a version or "no version", and the
// file reader (which reads only the structures on the way) agrees with the
// reader of the image held in memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/FileVersion.h"
#include "platform/posix/pe_version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::FileVersion inMemory;
  const bool parsed = platform::posix::ParsePeFileVersion(data, size, inMemory);

  const std::string path = FuzzScratch::Instance().WriteFile("image.dll", BytesOf(data, size));
  platform::FileVersion fromFile;
  FUZZ_CHECK(platform::ReadFileVersion(path, fromFile) == parsed);
  if (parsed) {
    FUZZ_CHECK(fromFile.mostSignificant == inMemory.mostSignificant);
    FUZZ_CHECK(fromFile.leastSignificant == inMemory.leastSignificant);
  }
  return 0;
}
