// Setup descriptors written to real files and loaded the way the loader
// loads them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "deployment/CIniFile.h"
#include "test_files.h"
#include "test_machine.h"

class DescriptorTest : public MachineTest {
 protected:
  CIniFile LoadDescriptor(const std::string& text) {
    return IniFromText(machine_.ScratchFolder(), text, "download_all.ini");
  }
};
