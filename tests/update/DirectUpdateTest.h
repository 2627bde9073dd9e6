#pragma once
// UpdateComponent called in-process on a fresh installation and shared
// directory, with the real files, version resources, copy and log; the
// progress goes where the test says.
#include <gtest/gtest.h>

#include <string>

#include "files/FileFacts_win32.h"
#include "files/Signature_win32.h"
#include "files/WindowsCopySystem_win32.h"
#include "update/Update.h"
#include "update/UpdateLog_win32.h"
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
                       const std::string& caption, bool tell) {
    return UpdateComponent(Environment(), app, fileName, ext, compareMode, caption, tell);
  }
  UpdateEnvironment Environment() {
    return {.files = *files, .facts = facts, .signatures = signatures, .progress = *progress, .record = log};
  }

  std::string Installed(const std::string& name) const { return app.exeDir + "\\" + name; }
  std::string Shared(const std::string& name) const { return app.sharedDir + "\\" + name; }
  std::string Log() const { return ReadUpdateLog(app.exeDir); }

  // Progress nobody is told of.
  struct : UpdateProgress {
    void Refreshing(const std::string&, const std::string&) override {}
    void RefreshingProgram(const std::string&) override {}
    void Copying(uint64_t, uint64_t) noexcept override {}
    void WaitingForTurn(const std::string&) override {}
  } untold;

  TempDir root{"kolvex-direct"};
  Installation app{.exeDir = root / "app", .sharedDir = root / "shared"};
  WindowsCopySystem system;
  CopySystem* files = &system;
  WindowsFileFacts facts;
  WindowsSignatureReader signatures;
  UpdateProgress* progress = &untold;
  UpdateLogFile log{app.exeDir};
  const std::string v1013 = ReadFileBytes(BinDir() + "\\target_v1013.exe");
  const std::string v1014 = ReadFileBytes(BinDir() + "\\target_v1014.exe");
};

}  // namespace kolvex::test
