// The fixture of the INI tests: documents loaded from text and written back
// on a machine of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "deployment/CIniFile.h"
#include "test_files.h"
#include "test_machine.h"

class IniTest : public MachineTest {
 protected:
  std::string PathOf(const std::string& name) const {
    return machine_.ScratchFolder() + "\\" + name;
  }
  CIniFile Loaded(const std::string& text) { return IniFromText(machine_.ScratchFolder(), text); }
  static std::string Written(const CIniFile& ini) {
    std::ostringstream out;
    ini.WriteTo(out);
    return out.str();
  }
};
