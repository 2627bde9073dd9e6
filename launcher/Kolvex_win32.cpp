#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "common/Global.h"
#include "common/win32/Module.h"
#include "common/win32/Utf.h"
#include "launcher/CommandLine.h"
#include "launcher/Kolvex.h"
#include "launcher/UpdateStage_win32.h"
#include "launcher/biblKolvex.h"

namespace kolvex {

namespace {

constexpr DWORD kStartDelayMs = 1000;
constexpr DWORD kProfileValueMax = 2047;  // what the private-profile read returns at most

const std::vector<std::string>& Arguments() {
  static const std::vector<std::string> args = SplitCommandLine(Narrow(GetCommandLineW()));
  return args;
}

// COM for the shell's sake, on this thread, for as long as the request runs.
class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool ok_;
};

}  // namespace

std::string ReadSharedDir(const std::string& exeDir) {
  std::wstring value(kProfileValueMax + 1, L'\0');
  const std::wstring settingsFile = Widen(JoinPath(exeDir, "baza.set"));
  const DWORD n = GetPrivateProfileStringW(L"MAIN", L"SHARED_DIR", L"", value.data(),
                                           static_cast<DWORD>(value.size()), settingsFile.c_str());
  value.resize(n);
  return SharedDirFromSetting(Narrow(value), exeDir);
}

void LoadSettings() {
  ExeDir = ExtractFileDir(ModuleFileName());
  SharedDir = ReadSharedDir(ExeDir);
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
  {
    UpdateStage stage(ExeDir, TheUpdateSystem().UpperCase(ExtractFileName(ComponentName(TargetName, ""))));
    UpdateComponent(TargetName, "", kCompareByVersion, "", false);
  }
  LaunchTarget();
}

}  // namespace kolvex
