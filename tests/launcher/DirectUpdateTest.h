#pragma once
// UpdateComponent called in-process on a fresh installation and shared
// directory, with the real files, version resources, copy and log.
#include <gtest/gtest.h>

#include <string>

#include "launcher/Kolvex.h"
#include "support/TestSupport.h"

namespace kolvex::test {

class DirectUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ExeDir = root / "app";
    SharedDir = root / "shared";
    MakeDir(ExeDir);
    MakeDir(SharedDir);
  }
  void TearDown() override { ExeDir = SharedDir = TargetName = ""; }

  std::string Installed(const std::string& name) const { return ExeDir + "\\" + name; }
  std::string Shared(const std::string& name) const { return SharedDir + "\\" + name; }
  std::string Log() const { return ReadUpdateLog(ExeDir); }

  TempDir root{"kolvex-direct"};
  const std::string v1013 = ReadFileBytes(BinDir() + "\\target_v1013.exe");
  const std::string v1014 = ReadFileBytes(BinDir() + "\\target_v1014.exe");
};

}  // namespace kolvex::test
