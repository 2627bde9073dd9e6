#include "launcher/UpdateAside_win32.h"

#include <windows.h>

#include <memory>

#include "common/Paths.h"
#include "common/win32/Lock.h"
#include "common/win32/TimeBox.h"
#include "files/Signature_win32.h"
#include "update/Leftovers.h"
#include "update/RefusalMemory_win32.h"
#include "update/ShareRequests_win32.h"
#include "update/Update.h"
#include "update/UpdateLog_win32.h"

namespace kolvex {

namespace {

// What the update tells on its thread, kept for the window's thread: the
// newest name, and how far the copy is.
class ProgressRelay final : public UpdateProgress {
 public:
  void Refreshing(const std::string& name, const std::string& caption) override {
    Tell(ProgressText(name, caption), false);
    Sleep(kProgressNameShownMs);  // each name stays in sight, as the window's own wait keeps it
  }
  void RefreshingProgram(const std::string& name) override { Tell(name, true); }
  void Copying(uint64_t done, uint64_t total) noexcept override {
    const Locked locked(lock_);
    done_ = done;
    total_ = total;
  }
  void WaitingForTurn(const std::string&) override {}  // the turn is taken before the update

  // On the window's thread: shows what was told since.
  void ShowIn(ProgressWindow& window) {
    std::string text;
    bool fresh = false, program = false;
    uint64_t done = 0, total = 0;
    {
      const Locked locked(lock_);
      fresh = told_ != shown_;
      shown_ = told_;
      if (fresh) text = text_;
      program = program_;
      done = done_;
      total = total_;
    }
    if (fresh) program ? window.RefreshingProgram(text) : window.ShowNow(text);
    window.Copying(done, total);
  }

 private:
  void Tell(std::string text, bool program) {
    const Locked locked(lock_);
    text_ = std::move(text);
    program_ = program;
    ++told_;
    done_ = total_ = 0;
  }

  CriticalSection lock_;
  std::string text_;
  bool program_ = false;
  unsigned told_ = 0, shown_ = 0;
  uint64_t done_ = 0, total_ = 0;
};

// Work on the installation with its requests to the share bounded by the
// share's time-box (0: the system's own waits). Once given up on, it belongs
// to its thread and is never freed.
struct ShareWork : BoundedWork {
  ShareWork(const Installation& installation, const std::vector<Component>& components, uint32_t limitMs)
      : BoundedWork(limitMs ? limitMs : INFINITE), installation(installation), components(components) {}
  const Installation installation;
  const std::vector<Component> components;
};

// The update, its progress relayed to the window.
struct UpdateWork final : ShareWork {
  UpdateWork(const Installation& installation, const std::vector<Component>& components, uint32_t limitMs,
             ProgressWindow& window)
      : ShareWork(installation, components, limitMs), window(window) {}
  void Run(RequestWatch& watch) override {
    ShareRequests files(watch, installation.sharedDir);
    WindowsSignatureReader signatures;
    UpdateLogFile log(installation.exeDir);
    RemoveLeftoversOfEndedRuns(files, installation.exeDir, components, installation.targetName);
    RefusalMemory refusals = ReadRefusalMemory(installation.exeDir);
    outcome = UpdateInstallation({.files = files,
                                  .facts = files,
                                  .signatures = signatures,
                                  .progress = relay,
                                  .record = log,
                                  .refusals = &refusals},
                                 installation, components);
    KeepRefusalMemory(installation.exeDir, refusals);
  }
  void WhileWaiting() override { relay.ShowIn(window); }
  ProgressWindow& window;  // the waiting thread's
  ProgressRelay relay;
  UpdateOutcome outcome;
};

// The comparison alone, for a start that may not write the installation.
struct CompareWork final : ShareWork {
  using ShareWork::ShareWork;
  void Run(RequestWatch& watch) override {
    ShareRequests files(watch, installation.sharedDir);
    differs = InstallationDiffers(files, files, installation, components);
  }
  bool differs = false;
};

// Runs work; nothing when it was given up on, the work left to its thread.
template <typename Work>
std::unique_ptr<Work> RunShareWork(std::unique_ptr<Work> work) {
  if (RunBounded(*work)) return work;
  work.release();
  return nullptr;
}

}  // namespace

std::optional<UpdateOutcome> UpdateAside(const Installation& installation, const std::vector<Component>& components,
                                         ProgressWindow& window, uint32_t limitMs) {
  const auto work = RunShareWork(std::make_unique<UpdateWork>(installation, components, limitMs, window));
  if (!work) return std::nullopt;
  return std::move(work->outcome);
}

std::optional<bool> InstallationDiffersAside(const Installation& installation,
                                             const std::vector<Component>& components, uint32_t limitMs) {
  const auto work = RunShareWork(std::make_unique<CompareWork>(installation, components, limitMs));
  if (!work) return std::nullopt;
  return work->differs;
}

}  // namespace kolvex
