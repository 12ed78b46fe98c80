// A machine of its own for each test. posix: a fresh machine root
// (VARNIK_ROOT) in a temporary folder, removed afterwards. win32: the Wine
// prefix of the run, which is fresh for every run; the test gets a scratch
// folder under the temporary folder, removed afterwards.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "infra/SimpleLogger.h"

class TestMachine {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  // A Windows path ("C:\...") to an empty folder that belongs to this test.
  const std::string& ScratchFolder() const { return scratch_; }

  // A new folder of this test on a network share, as "\\server\share\name";
  // empty where the machine has no share to offer. posix: unc/ of the
  // fresh root. Wine: the prefix's dosdevices/unc/, which Wine serves as
  // \\server\share.
  std::string NetworkShareFolder();

  // posix only: writes machine.ini of the fresh root. On win32 the machine
  // is what it is, and this returns false.
  bool Configure(const std::string& machineIni);

  // True when the facts of the machine can be set by the test.
  static bool IsConfigurable();

 private:
  std::string root_;
  std::string scratch_;
  std::string shareHostFolder_;  // what the destructor removes, where it is not below root_
  std::string previousRoot_;
  bool hadPreviousRoot_ = false;
};

// Fixture base for tests that touch files, folders or the registry. The
// logger takes its settings from the machine's registry, so each test starts
// and ends without one.
class MachineTest : public ::testing::Test {
 protected:
  MachineTest() { SimpleLogger::ReleaseInstance(); }
  ~MachineTest() override { SimpleLogger::ReleaseInstance(); }
  TestMachine machine_;
};
