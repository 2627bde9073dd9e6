#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "common/Exceptions.h"
#include "common/Global.h"
#include "common/TextDecode.h"
#include "common/win32/Files.h"
#include "common/win32/Library.h"
#include "common/win32/Utf.h"
#include "launcher/CommandLine.h"
#include "launcher/Kolvex.h"
#include "launcher/Settings.h"
#include "launcher/UpdateStage_win32.h"
#include "launcher/biblKolvex.h"
#include "messages/komunikaty.h"

namespace kolvex {

namespace {

constexpr DWORD kStartDelayMs = 1000;

const std::vector<std::string>& Arguments() {
  static const std::vector<std::string> args = SplitCommandLine(Narrow(GetCommandLineW()));
  return args;
}

// COM for the shell's sake, on this thread, for as long as the request runs.
// Its library is loaded here, not imported: imported, it and the libraries
// it needs (combase and rpcrt4 under Wine) were loaded before the program
// ran, at a cost larger than all of the launcher's own work on a start with
// nothing to update. ole32 is one of the system's known DLLs, so it is always taken
// from the system directory; it stays loaded, as COM may leave work in it.
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

// The message window with RefusedEntriesMessage, kind Warning, one OK
// button; nothing when no entry was refused.
void WarnAboutRefusedEntries(const std::vector<RefusedEntry>& refused) {
  if (refused.empty()) return;
  ShowMessageWindow(RefusedEntriesMessage(refused), {.buttons = {TMessageButton::OK}, .kind = TMessageKind::Warning});
}

}  // namespace

Settings ReadSettings(const std::string& exeDir) {
  // Read by the launcher itself: the system's profile reader knows no UTF-8
  // and returns only as much of a value as a buffer sized beforehand holds.
  const std::optional<std::string> bytes = ReadWholeFile(JoinPath(exeDir, kSettingsFileName));
  return ParseSettings(bytes ? DecodeText(*bytes, FromAnsi) : std::string(), exeDir);
}

void LoadSettings() {
  ExeDir = ExtractFileDir(ModuleFileName());
  Settings settings = ReadSettings(ExeDir);
  SharedDir = std::move(settings.sharedDir);
  Components = std::move(settings.components);
  TargetName = Arguments().size() > 1 ? Arguments()[1] : std::string();
}

void LaunchTarget() {
  const std::wstring file = Widen(JoinPath(ExeDir, TargetName));
  const std::wstring params = Widen(BuildForwardedParams(Arguments()));
  ComApartment com;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The launcher ends right after this call: the request must be handed
  // over completely before it returns.
  info.fMask = SEE_MASK_NOASYNC;
  info.hwnd = GetDesktopWindow();
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = params.c_str();
  info.lpDirectory = nullptr;
  info.nShow = SW_SHOW;
  ShellExecuteExW(&info);  // the shell shows its own message if it cannot open the file
}

void RunLauncher() {
  Sleep(kStartDelayMs);
  LoadSettings();
  // Before the lock: the warning waits until it is read, and the other starts
  // of the installation must not wait that long too.
  WarnAboutRefusedEntries(Components.refused);
  UpdateOutcome outcome;
  {
    UpdateStage stage(ExeDir, TheUpdateSystem().UpperCase(ExtractFileName(ComponentName(TargetName, ""))));
    outcome = UpdateInstallation(TheUpdateSystem(), Components.components);
  }
  // The turn is left: a message read now holds up no other start.
  if (outcome.result == UpdateResult::Failed) {
    ShowErrorMessage(outcome.failure);
    throw EAbort();
  }
  LaunchTarget();
}

}  // namespace kolvex
