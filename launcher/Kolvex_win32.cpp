#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "common/Exceptions.h"
#include "common/Paths.h"
#include "common/ScopeExit.h"
#include "common/win32/ErrorMode.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Library.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "common/win32/Window.h"
#include "launcher/CommandLine.h"
#include "update/Installation.h"
#include "launcher/Kolvex_win32.h"
#include "launcher/ServiceUpdate_win32.h"
#include "update/Settings_win32.h"
#include "update/ShareProbe_win32.h"
#include "update/StartReport_win32.h"
#include "launcher/UpdateAside_win32.h"
#include "update/Release_win32.h"
#include "update/UpdateTurn.h"
#include "update/UpdateTurn_win32.h"
#include "messages/MessageWindow_win32.h"

namespace kolvex {

namespace {

constexpr DWORD kStartDelayMs = 1000;

// COM for the shell's sake, on this thread, for as long as the request runs.
// Its library is loaded here, not imported: an imported ole32 and the
// libraries it needs (combase and rpcrt4 under Wine) are loaded before the
// program runs, at a cost larger than all of the launcher's own work on a
// start with nothing to update. ole32 is one of the system's known DLLs, so it is always taken from the
// system directory; it stays loaded, as COM may leave work in it.
class ComApartment {
 public:
  ComApartment() {
    const HMODULE ole32 = LoadLibraryW(L"ole32.dll");
    const auto initialize = ProcAddress<decltype(&::CoInitializeEx)>(ole32, "CoInitializeEx");
    uninitialize_ = ProcAddress<decltype(&::CoUninitialize)>(ole32, "CoUninitialize");
    ok_ = initialize && uninitialize_ &&
          SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }
  ~ComApartment() {
    if (ok_) uninitialize_();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  decltype(&::CoUninitialize) uninitialize_;
  bool ok_;
};

// A message that waits for its reader. Where nobody can see it (no visible
// window station: a service, a scheduled task), the run ends at once instead,
// with exit code 1, and WinMain shows no box either.
void TellUser(const std::string& text, bool isError) {
  if (!WindowsCanBeSeen()) throw EAbort();
  if (isError) {
    ShowErrorMessage(text);
  } else {
    ShowMessageWindow(text, {.buttons = {TMessageButton::OK}, .kind = TMessageKind::Warning});
  }
}

// The message window with RefusedEntriesMessage, kind Warning, one OK
// button; nothing when no entry was refused.
void WarnAboutRefusedEntries(const std::vector<RefusedEntry>& refused) {
  if (refused.empty()) return;
  TellUser(RefusedEntriesMessage(refused), false);
}

// The share is asked first, within its time-box and before the turn is
// taken, so that a share that does not answer holds up neither this start
// (the installed program starts) nor any other; then the installation is
// updated in its turn with the system's copy and file facts, the progress
// shown in the window and each file brought in logged. Nothing here waits
// for the user.
// A release in stages decides before the turn whether this computer takes
// the share's program now.
UpdateOutcome UpdateFromShare(const Installation& installation, const Settings& settings, ProgressWindow& progress,
                              const std::string& programName) {
  // Before the first touch of the shared directory: a removable drive
  // without a medium gives the launcher's own message, not the system's box.
  const NoCriticalErrorBoxes noPrompts;
  if (std::optional<UpdateOutcome> without = OutcomeWithoutShare(installation.sharedDir, settings.shareTimeBoxMs))
    return std::move(*without);
  const std::vector<Component>& components = settings.components.components;
  const auto installed = [&] { return FileExists(JoinPath(installation.exeDir, installation.targetName)); };
  // A share that stopped answering is given up on: the installed program,
  // whole, starts as it is.
  const auto stopped = [&] {
    return installed() ? UpdateOutcome{.result = UpdateResult::ShareStopped}
                       : UpdateOutcome{.result = UpdateResult::Failed, .failure = ShareStoppedFailure(programName)};
  };
  ReleaseDecision release;
  if (!DecideReleaseHere(installation, settings.reportDir, settings.shareTimeBoxMs, release)) return stopped();
  // Going back is the update service's (the per-machine way): within its
  // size Kolvex.exe keeps no backups of its own, and a start keeps what it has.
  if (release.step == ReleaseStep::RollBack) {
    release.step = ReleaseStep::Halted;
    release.why += "; wycofuje tylko usługa";
  }
  // Waiting, halted or held back: the installed program starts at once, and
  // none of the release's files is taken.
  if (release.step == ReleaseStep::Wait || release.step == ReleaseStep::Halted ||
      release.step == ReleaseStep::HeldBack)
    return {.release = ReleaseReportLine(release)};
  const UpdateTurn turn(installation.exeDir, progress, installation.targetName);
  // Whoever may not write the installation changes nothing in it: the
  // installed program starts, and the report says why when it is behind.
  if (const DWORD refusal = turn.Refusal()) {
    const std::string reason = GetErrorReason(static_cast<int32_t>(refusal));
    if (!installed()) return {.result = UpdateResult::Failed, .failure = NotWritableMessage(programName, reason)};
    const std::optional<bool> differs = InstallationDiffersAside(installation, components, settings.shareTimeBoxMs);
    if (!differs) return stopped();
    if (!*differs) return {};
    return {.result = UpdateResult::TurnRefused, .reason = reason};
  }
  // Without its turn the start runs the program as it is, if there is one.
  if (!turn.TurnCame())
    return installed() ? UpdateOutcome{.result = UpdateResult::TurnNotCome}
                       : UpdateOutcome{.result = UpdateResult::Failed, .failure = LockWaitTooLongMessage(programName)};
  std::optional<UpdateOutcome> outcome = UpdateAside(installation, components, progress, settings.shareTimeBoxMs);
  if (!outcome) return stopped();
  outcome->release = ReleaseReportLine(release);
  return std::move(*outcome);
}

// The launcher's directory as its settings describe it, serving the program
// named by its first argument (after its own name).
Installation ThisInstallation(const std::string& exeDir, const Settings& settings,
                              const std::vector<std::string>& arguments) {
  return SettingsInstallation(exeDir, settings, arguments.size() > 1 ? arguments[1] : std::string());
}

// Hands the program to the shell; the system's error code when the shell
// could not open it (no such file, a name mistyped in the shortcut): the
// shell has shown its own message, and the start report says so.
DWORD LaunchTarget(const Installation& installation, const std::vector<std::string>& arguments) {
  const std::wstring file = Widen(JoinPath(installation.exeDir, installation.targetName));
  const std::wstring params = Widen(BuildForwardedParams(arguments));
  ComApartment com;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The launcher ends right after this call: the request must be handed
  // over completely before it returns.
  // Where nobody can see it, the shell must not show its own message either.
  info.fMask = SEE_MASK_NOASYNC | (WindowsCanBeSeen() ? 0 : SEE_MASK_FLAG_NO_UI);
  info.hwnd = GetDesktopWindow();
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = params.c_str();
  info.lpDirectory = nullptr;
  info.nShow = SW_SHOW;
  if (ShellExecuteExW(&info)) return ERROR_SUCCESS;
  // Wine sets no error of the system's, only the shell's own code (whose
  // values for a missing file, path and access are the system's codes).
  const DWORD error = GetLastError();
  const auto shellCode = static_cast<DWORD>(reinterpret_cast<uintptr_t>(info.hInstApp));
  return error ? error : shellCode ? shellCode : ERROR_FILE_NOT_FOUND;
}

}  // namespace

void RunLauncher(ProgressWindow& progress) {
  Sleep(kStartDelayMs);
  const std::string exeDir = ExtractFileDir(ModuleFileName());
  const Settings settings = ReadSettings(exeDir);
  const std::vector<std::string> arguments = SplitCommandLine(Narrow(GetCommandLineW()));
  const Installation installation = ThisInstallation(exeDir, settings, arguments);
  // Before the turn: the warning waits until it is read, and the other starts
  // of the installation must not wait that long too.
  WarnAboutRefusedEntries(settings.components.refused);
  const std::string programName = UpperCase(ExtractFileName(installation.targetName));
  // In the per-machine way only the update service writes the installation.
  const UpdateOutcome outcome = settings.updatedByService
                                    ? UpdateThroughService(installation, settings, progress, programName)
                                    : UpdateFromShare(installation, settings, progress, programName);
  // Last of all, so that the user never waits for it: after the hand-off, or
  // after the failure was read (or could not be shown).
  DWORD notStarted = ERROR_SUCCESS;
  const ScopeExit report([&] {
    if (!settings.reportDir.empty())
      ReportStart(settings.reportDir, installation, settings.components.components, outcome,
                  notStarted ? GetErrorReason(static_cast<int32_t>(notStarted)) : std::string(),
                  !settings.updatedByService, settings.shareTimeBoxMs);
  });
  // The turn is left: a message read now holds up no other start.
  if (outcome.result == UpdateResult::Failed) {
    TellUser(outcome.failure, true);
    throw EAbort();
  }
  if (outcome.result == UpdateResult::ShareStopped) TellUser(ShareStoppedWarning(), false);
  // The program's own window comes next: the update's is gone first.
  progress.Close();
  // The exit code stays 0 (handed to the shell) either way, as callers rely on it.
  notStarted = LaunchTarget(installation, arguments);
}

}  // namespace kolvex
