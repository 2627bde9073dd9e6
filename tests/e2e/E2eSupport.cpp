#include "e2e/E2eSupport.h"

#include <stdexcept>

namespace kolvex::test {

Installation::Installation(const std::string& dirName) : temp_("kolvex-e2e"), dir_(temp_.path() + "\\" + dirName) {
  MakeDir(dir_);
  CopyFileTo(BinDir() + "\\Kolvex.exe", dir_ + "\\Kolvex.exe");
}

Installation::~Installation() {
  for (const auto& [id, startedAt] : launched_) KillDescendants(id, startedAt);
}

void Installation::AddFixture(const std::string& fixture, const std::string& relativePath) const {
  CopyFileTo(BinDir() + "\\" + fixture + ".exe", dir_ + "\\" + relativePath);
}

ProcessResult Installation::RunLauncher(const std::string& tail, DWORD timeoutMs, const std::string& workDir) const {
  const std::string exe = dir_ + "\\Kolvex.exe";
  Process launcher(exe, "\"" + exe + "\"" + tail, workDir.empty() ? dir_ : workDir);
  launched_.emplace_back(launcher.id(), launcher.startedAt());
  return launcher.Wait(timeoutMs);
}

std::unique_ptr<Process> Installation::StartLauncher(const std::string& tail, const std::string& workDir,
                                                    const std::string& desktop) const {
  const std::string exe = dir_ + "\\Kolvex.exe";
  auto launcher = std::make_unique<Process>(exe, "\"" + exe + "\"" + tail, workDir.empty() ? dir_ : workDir, desktop);
  launched_.emplace_back(launcher->id(), launcher->startedAt());
  return launcher;
}

std::string Installation::WaitForTargetRecord(const std::string& dir, DWORD timeoutMs) const {
  const std::string record = dir + "\\target-run.txt";
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (FileExists(record)) {
      const std::string text = ReadFileBytes(record);
      if (text.find("\r\ncwd=") != std::string::npos && text.size() > 2 && text.substr(text.size() - 2) == "\r\n")
        return text;
    }
    Sleep(50);
  }
  return {};
}

}  // namespace kolvex::test
