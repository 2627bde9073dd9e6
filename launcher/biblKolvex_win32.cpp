#include <windows.h>

#include "common/CopyVerified.h"
#include "common/DateTime.h"
#include "common/FileVer.h"
#include "common/win32/Files.h"
#include "common/win32/Utf.h"
#include "launcher/UpdateLog.h"
#include "launcher/biblKolvex.h"
#include "launcher/oTrwaAktualizacja.h"

namespace kolvex {

namespace {

// The version resource is read through the loader, which looks for a
// relative name in the program's own directory before the current one. The
// update compares the files it copies: a relative shared directory means the
// current one, so the name is made full first.
std::string FullPath(const std::string& path) {
  const std::wstring wide = Widen(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return path;
    if (n < full.size()) {
      full.resize(n);
      return Narrow(full);
    }
    full.resize(n);
  }
}

class Win32UpdateSystem final : public UpdateSystem {
 public:
  bool FileExists(const std::string& path) const override { return kolvex::FileExists(path); }
  std::string FileVersion(const std::string& path) const override {
    return GetFileVersionString(FullPath(path), "FileVersion");
  }
  // A file gone since it was found counts as day 0; the copy then reports it.
  DateTime FileDate(const std::string& path) const override { return FileDateTimeLocal(path).value_or(DateTime{}); }
  std::string UpperCase(const std::string& text) const override {
    std::wstring wide = Widen(text);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide);
  }
  void ShowProgress(const std::string& text) override { ShowUpdateProgress(text); }
  bool CopyVerified(const std::string& source, const std::string& destination) override {
    return CopyFileVerified(source, destination);
  }
  void WriteLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update) override {
    WriteUpdateLog(fileName, compareMode, update.Name, update.OldVersion, update.NewVersion, update.OldDate,
                   update.NewDate);
  }
};

}  // namespace

UpdateSystem& TheUpdateSystem() {
  static Win32UpdateSystem system;
  return system;
}

void UpdateComponent(const std::string& fileName, const std::string& ext, uint8_t compareMode,
                     const std::string& caption, bool showForm) {
  UpdateComponent(TheUpdateSystem(), fileName, ext, compareMode, caption, showForm);
}

}  // namespace kolvex
