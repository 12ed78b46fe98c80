// The signed files make-signing-fixtures.sh made for this run, and the
// trust the tests give its test CA.
#pragma once

#include <string>
#include <vector>

#include "test_machine.h"
#include "trusted_root.h"

// Path of a fixture file ("signed.exe", "pki/ca.pem") as this target's
// programs open it; fails the test when the fixtures are missing (run the
// tests through CTest, which makes them first).
std::string FixturePath(const std::string& name);

// Copies a fixture into the test's scratch folder under newName and returns
// its Windows path.
std::string StageFixture(const TestMachine& machine, const std::string& name,
                         const std::string& newName);
std::string StageFixture(const TestMachine& machine, const std::string& name);

std::vector<unsigned char> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// The debugger-output line the logger writes for one report, and the start
// of such a line.
std::string LogLine(const std::string& level, const std::string& location,
                    const std::string& message);
std::string LogPrefix(const std::string& level, const std::string& location,
                      const std::string& messageStart);

// The fixtures' test CA as a trusted root (with its CRL when withCrl, on
// posix).
class TrustedTestRoot : public TrustedRoot {
 public:
  explicit TrustedTestRoot(bool withCrl = false)
      : TrustedRoot(FixturePath("pki/ca.pem"), withCrl ? FixturePath("pki/crl.pem") : std::string()) {}
};
