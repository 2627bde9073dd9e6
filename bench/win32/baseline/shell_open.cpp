// The hand-off's baselines: a windowed program that does nothing but ask the
// shell to open its first argument, beside itself, with all its arguments
// forwarded as Kolvex.exe forwards them. What starting the target costs
// without a launcher in between.
//
// Built with KOLVEX_BASELINE_COM (com_shell_open.exe) it does what a correct
// hand-off must do and no more: COM in a single-threaded apartment, which
// the shell asks of the callers of ShellExecuteEx, ole32 loaded at run time
// as the launcher loads it, and the request completed before the program
// ends. The launcher's true floor.
#include <windows.h>
// needs windows.h first
#include <objbase.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 2;
  std::wstring dir(MAX_PATH, L'\0');
  dir.resize(GetModuleFileNameW(nullptr, dir.data(), static_cast<DWORD>(dir.size())));
  dir.resize(dir.find_last_of(L'\\') + 1);
  std::wstring params;
  for (int i = 1; i < argc; ++i) params += L" \"" + std::wstring(argv[i]) + L"\"";
  const std::wstring file = dir + argv[1];
#ifdef KOLVEX_BASELINE_COM
  const HMODULE ole32 = LoadLibraryW(L"ole32.dll");
  const auto initialize = reinterpret_cast<decltype(&CoInitializeEx)>(
      reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitializeEx")));
  const auto uninitialize = reinterpret_cast<decltype(&CoUninitialize)>(
      reinterpret_cast<void*>(GetProcAddress(ole32, "CoUninitialize")));
  const bool com = initialize && uninitialize &&
                   SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC;
  info.hwnd = GetDesktopWindow();
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = params.c_str();
  info.nShow = SW_SHOW;
  ShellExecuteExW(&info);
  if (com) uninitialize();
#else
  ShellExecuteW(GetDesktopWindow(), L"open", file.c_str(), params.c_str(), nullptr, SW_SHOW);
#endif
  LocalFree(argv);
  return 0;
}
