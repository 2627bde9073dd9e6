#pragma once
// A fresh installation directory with Kolvex.exe in it, and what it takes
// to run the launcher there and read what the started target recorded.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/TestSupport.h"

namespace kolvex::test {

class Installation {
 public:
  // dirName: the installation directory's own name, below a fresh temporary one.
  explicit Installation(const std::string& dirName = "app");
  const std::string& dir() const { return dir_; }
  std::string operator/(const std::string& name) const { return dir_ + "\\" + name; }
  // Copies a fixture program from bin/ to a path relative to the installation.
  void AddFixture(const std::string& fixture, const std::string& relativePath) const;
  ~Installation();
  // Starts Kolvex.exe with the given command-line tail (after the program);
  // whatever it started is ended when the installation is removed.
  ProcessResult RunLauncher(const std::string& tail, DWORD timeoutMs = 30000,
                            const std::string& workDir = "") const;
  // Starts Kolvex.exe and returns at once, for tests that answer its windows.
  // desktop as for Process.
  std::unique_ptr<Process> StartLauncher(const std::string& tail, const std::string& workDir = "",
                                         const std::string& desktop = "") const;
  // Waits until the target has recorded its start in dir's target-run.txt.
  std::string WaitForTargetRecord(const std::string& dir, DWORD timeoutMs = 15000) const;

 private:
  TempDir temp_;
  mutable std::vector<std::pair<DWORD, ULONGLONG>> launched_;
  std::string dir_;
};

}  // namespace kolvex::test
