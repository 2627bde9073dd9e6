#pragma once
// UpdateComponent called in-process on a fresh installation and shared
// directory, with the real files, version resources, copy and log.
#include <gtest/gtest.h>

#include <string>

#include "launcher/Update_win32.h"
#include "support/TestSupport.h"

namespace kolvex::test {

class DirectUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDir(app.exeDir);
    MakeDir(app.sharedDir);
  }

  // UpdateComponent of the system itself on this installation.
  UpdateOutcome Update(const std::string& fileName, const std::string& ext, uint8_t compareMode,
                       const std::string& caption, bool showForm) {
    return UpdateComponent(TheUpdateSystem(), app, fileName, ext, compareMode, caption, showForm);
  }

  std::string Installed(const std::string& name) const { return app.exeDir + "\\" + name; }
  std::string Shared(const std::string& name) const { return app.sharedDir + "\\" + name; }
  std::string Log() const { return ReadUpdateLog(app.exeDir); }

  TempDir root{"kolvex-direct"};
  Installation app{.exeDir = root / "app", .sharedDir = root / "shared"};
  const std::string v1013 = ReadFileBytes(BinDir() + "\\target_v1013.exe");
  const std::string v1014 = ReadFileBytes(BinDir() + "\\target_v1014.exe");
};

}  // namespace kolvex::test
