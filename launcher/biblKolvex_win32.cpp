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

class Win32UpdateSystem final : public UpdateSystem {
 public:
  bool FileExists(const std::string& path) const override { return kolvex::FileExists(path); }
  std::string FileVersion(const std::string& path) const override {
    return GetFileVersionString(path, "FileVersion");
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
