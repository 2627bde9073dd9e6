// Kolvex.exe: started in place of the application, with the application's
// file name and arguments. Keeps the application up to date from the shared
// directory, then starts it.
#include <windows.h>

#include <cstdarg>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "common/Exceptions.h"
#include "common/Paths.h"
#include "common/win32/CommonControls.h"
#include "common/win32/Files.h"
#include "common/win32/Library.h"
#include "common/win32/Utf.h"
#include "common/win32/Window.h"
#include "launcher/ErrorBox.h"
#include "launcher/Kolvex_win32.h"

// The runtime's default terminate handler prints the type of an uncaught
// exception, demangling its name, which drags the whole demangler (about
// 50 KB) into a program whose exceptions are all caught below. Ending at
// once is all the launcher needs should terminate ever be reached.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The library's own reports of misuse (a position past the end of a string,
// a size beyond any memory) are raised as the launcher's exceptions, with
// the library's text. Its own versions raise std::logic_error and its kin,
// whose messages are strings of the library's older kind: those two parts
// of the library alone would be about a sixth of the program. What reaches
// the error box is the same text under the class name "Exception".
namespace std {
[[noreturn]] void __throw_bad_alloc() { throw std::bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
[[noreturn]] void __throw_length_error(const char* what) { throw kolvex::Exception(what); }
[[noreturn]] void __throw_logic_error(const char* what) { throw kolvex::Exception(what); }
[[noreturn]] void __throw_out_of_range(const char* what) { throw kolvex::Exception(what); }
// The library's formats begin with the function's name ("%s: __pos (which
// is %zu) ..."): the name is kept, the numbers left out, as printf's
// formatter is what the program does without.
[[noreturn]] void __throw_out_of_range_fmt(const char* format, ...) {
  if (std::string_view(format).starts_with("%s:")) {
    va_list args;
    va_start(args, format);
    const std::string where = va_arg(args, const char*);
    va_end(args);
    throw kolvex::Exception(where + ": position out of range");
  }
  throw kolvex::Exception(format);
}
[[noreturn]] void __throw_invalid_argument(const char* what) { throw kolvex::Exception(what); }
[[noreturn]] void __throw_bad_function_call() { throw kolvex::Exception("bad function call"); }
}  // namespace std

namespace {

// The runtime's report of an exception that ended the run.
// Not where nobody can see it: the run ends with exit code 1 all the same.
void ShowExceptionBox(const char* className, const void* address, const std::string& message) {
  if (!kolvex::WindowsCanBeSeen()) return;
  const std::string text = kolvex::FormatExceptionText(
      className, kolvex::ExtractFileName(kolvex::ModuleFileName()), reinterpret_cast<uintptr_t>(address), message);
  kolvex::LoadCommonControls();
  MessageBoxW(nullptr, kolvex::Widen(text).c_str(), L"Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// Libraries loaded by name at run time (ole32, the common controls, the
// rich-edit control, and those the system loads for them) come from the
// system only: never from the current directory, which a shortcut or a
// document may point anywhere, nor from PATH. SetDefaultDllDirectories is
// looked up: Windows XP lacks it, Vista and 7 have it only with KB2533623.
void LoadLibrariesFromTheSystemOnly() {
  SetDllDirectoryW(L"");
  if (const auto setDefaultDllDirectories = kolvex::ProcAddress<BOOL(WINAPI*)(DWORD)>(
          GetModuleHandleW(L"kernel32"), "SetDefaultDllDirectories"))
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  LoadLibrariesFromTheSystemOnly();
  // The progress window outlives the run: it stays in sight behind the
  // error box, as long as the process.
  kolvex::ProgressWindow progress;
  try {
    kolvex::RunLauncher(progress);
    return 0;
  } catch (const kolvex::Exception& e) {
    ShowExceptionBox(e.ClassName(), e.Address(), e.what());
  } catch (const std::bad_alloc&) {
    ShowExceptionBox("EOutOfMemory", nullptr, "Out of memory");
  } catch (const std::exception& e) {
    ShowExceptionBox("Exception", nullptr, e.what());
  }
  return 1;
}
