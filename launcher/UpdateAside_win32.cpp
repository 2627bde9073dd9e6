#include "launcher/UpdateAside_win32.h"

#include <windows.h>

#include <memory>
#include <type_traits>

#include "common/Paths.h"
#include "common/win32/Lock.h"
#include "common/win32/TimeBox.h"
#include "files/FileFacts_win32.h"
#include "files/Signature_win32.h"
#include "files/WindowsCopySystem_win32.h"
#include "launcher/Leftovers.h"
#include "launcher/Update.h"
#include "launcher/UpdateLog_win32.h"

namespace kolvex {

namespace {

// The system's copy and file facts, each call that reaches into the shared
// directory made as one request of the watch.
class ShareRequests final : public CopySystem, public FileFacts {
 public:
  ShareRequests(RequestWatch& watch, const std::string& sharedDir) : watch_(watch), share_(JoinPath(sharedDir, "")) {}

  bool IsDriveReady(char letter) override { return files_.IsDriveReady(letter); }
  bool FileExists(const std::string& path) override {
    return OnShare(path, [&] { return files_.FileExists(path); });
  }
  int64_t GetFileSizeByName(const std::string& path) override {
    return OnShare(path, [&] { return files_.GetFileSizeByName(path); });
  }
  int64_t GetFreeSpaceKB(const std::string& path) override { return files_.GetFreeSpaceKB(path); }
  int64_t GetFloppyFreeBytes(char letter) override { return files_.GetFloppyFreeBytes(letter); }
  std::optional<std::string> Copy(const std::string& from, const std::string& to,
                                  const CopyProgress& progress) override {
    if (!from.starts_with(share_)) return files_.Copy(from, to, progress);
    // Each piece that comes is a sign of life; once the last has come, what
    // is left (the flush of the copy) is this computer's work, not timed.
    const CopyProgress alive = [&](uint64_t done, uint64_t total) {
      if (done < total) watch_.Alive();
      else watch_.Answered();
      if (progress) progress(done, total);
    };
    return watch_.Ask([&] { return files_.Copy(from, to, alive); });
  }
  std::optional<std::string> MoveOver(const std::string& from, const std::string& to) override {
    return files_.MoveOver(from, to);
  }
  bool IsHeldOpen(const std::string& path) override { return files_.IsHeldOpen(path); }
  void Remove(const std::string& path) noexcept override { files_.Remove(path); }
  void RemoveLeftovers(const std::string& destination) noexcept override { files_.RemoveLeftovers(destination); }
  uint32_t ProcessId() override { return files_.ProcessId(); }
  void CreateDirectories(const std::string& base, const std::string& name) override {
    files_.CreateDirectories(base, name);
  }

  std::string FileVersion(const std::string& path) override {
    return OnShare(path, [&] { return facts_.FileVersion(path); });
  }
  DateTime FileDate(const std::string& path) override {
    return OnShare(path, [&] { return facts_.FileDate(path); });
  }
  bool IsCompleteImage(const std::string& path) override {
    return OnShare(path, [&] { return facts_.IsCompleteImage(path); });
  }

 private:
  template <typename Call>
  std::invoke_result_t<Call> OnShare(const std::string& path, Call call) {
    return path.starts_with(share_) ? watch_.Ask(call) : call();
  }

  RequestWatch& watch_;
  const std::string share_;  // the shared directory with its separator: where each of its paths begins
  WindowsCopySystem files_;
  WindowsFileFacts facts_;
};

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

// RunBounded with the share's time-box, 0 meaning the system's own waits.
bool RunBoundedByShare(uint32_t limitMs, std::function<void(RequestWatch&)> work,
                       const std::function<void()>& whileWaiting = {}) {
  return RunBounded(limitMs ? limitMs : INFINITE, std::move(work), whileWaiting);
}

}  // namespace

std::optional<UpdateOutcome> UpdateAside(const Installation& installation, const std::vector<Component>& components,
                                         ProgressWindow& window, uint32_t limitMs) {
  // Shared with the update's thread, which outlives this call when it is given up on.
  const auto relay = std::make_shared<ProgressRelay>();
  const auto outcome = std::make_shared<UpdateOutcome>();
  const bool ended = RunBoundedByShare(
      limitMs,
      [installation, components, relay, outcome](RequestWatch& watch) {
        ShareRequests files(watch, installation.sharedDir);
        WindowsSignatureReader signatures;
        UpdateLogFile log(installation.exeDir);
        RemoveLeftoversOfEndedRuns(files, installation.exeDir, components, installation.targetName);
        *outcome = UpdateInstallation(
            {.files = files, .facts = files, .signatures = signatures, .progress = *relay, .record = log},
            installation, components);
      },
      [&] { relay->ShowIn(window); });
  if (!ended) return std::nullopt;
  return std::move(*outcome);
}

std::optional<bool> InstallationDiffersAside(const Installation& installation,
                                             const std::vector<Component>& components, uint32_t limitMs) {
  const auto differs = std::make_shared<bool>(false);
  const bool ended = RunBoundedByShare(limitMs, [installation, components, differs](RequestWatch& watch) {
    ShareRequests files(watch, installation.sharedDir);
    *differs = InstallationDiffers(files, files, installation, components);
  });
  if (!ended) return std::nullopt;
  return *differs;
}

}  // namespace kolvex
