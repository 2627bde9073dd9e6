// The hand-off's baseline: a windowed program that does nothing but ask the
// shell to open its first argument, beside itself, with all its arguments
// forwarded as Kolvex.exe forwards them. What starting the target costs
// without a launcher in between.
#include <windows.h>
// needs windows.h first
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
  ShellExecuteW(GetDesktopWindow(), L"open", (dir + argv[1]).c_str(), params.c_str(), nullptr, SW_SHOW);
  LocalFree(argv);
  return 0;
}
