// Setup descriptors written to real files and loaded the way the loader
// loads them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "deployment/CIniFile.h"
#include "platform/FileSystem.h"
#include "test_machine.h"

class DescriptorTest : public MachineTest {
 protected:
  CIniFile LoadDescriptor(const std::string& text) {
    const std::string path = machine_.ScratchFolder() + "\\download_all.ini";
    {
      platform::UniqueStdioFile file(platform::OpenStdioFile(path, "wb"));
      EXPECT_NE(nullptr, file) << path;
      if (file) {
        EXPECT_EQ(text.size(), std::fwrite(text.data(), 1, text.size(), file.get()));
      }
    }
    CIniFile descriptor;
    EXPECT_TRUE(descriptor.Load(path));
    return descriptor;
  }
};
