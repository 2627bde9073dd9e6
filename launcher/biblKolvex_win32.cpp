#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/CopyVerifiedSystem.h"
#include "common/DateTime.h"
#include "common/ExeImage.h"
#include "common/FileVer.h"
#include "common/Global.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "launcher/UpdateLog.h"
#include "launcher/biblKolvex.h"
#include "launcher/oTrwaAktualizacja.h"
#include "messages/komunikaty.h"

namespace kolvex {

namespace {

class Win32UpdateSystem final : public UpdateSystem {
 public:
  bool FileExists(const std::string& path) const override { return kolvex::FileExists(path); }
  // Both queries also read the temporary copy, whose name may be too long
  // for the plain form where the installed file's fits.
  std::string FileVersion(const std::string& path) const override {
    return GetFileVersionString(LongPathForm(path), "FileVersion");
  }
  // A file gone since it was found counts as day 0; the copy then reports it.
  DateTime FileDate(const std::string& path) const override {
    return FileDateTimeLocal(LongPathForm(path)).value_or(DateTime{});
  }
  bool IsCompleteImage(const std::string& path) const override {
    const UniqueFile file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return true;
    std::vector<std::byte> head(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, kExecutableHeadBytes)));
    DWORD read = 0;
    if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) return true;
    head.resize(read);
    return IsCompleteExecutableImage(head, static_cast<uint64_t>(size.QuadPart));
  }
  std::string UpperCase(const std::string& text) const override {
    std::wstring wide = Widen(text);
    kolvex::UpperCase(wide);
    return Narrow(wide);
  }
  void ShowProgress(const std::string& text) override { ShowUpdateProgress(text); }
  void CreateDirectories(const std::string& base, const std::string& name) override {
    for (size_t end = name.find_first_of("\\/"); end != std::string::npos; end = name.find_first_of("\\/", end + 1))
      CreateDirectoryW(Widen(LongPathForm(JoinPath(base, name.substr(0, end)), kPlainDirectoryPathLimit)).c_str(),
                       nullptr);
  }
  CopyResult CopyVerified(const std::string& source, const std::string& destination,
                          const CopyAcceptance& accept) override {
    WindowsCopySystem system;
    return CopyFileVerified(source, destination, system, ShowErrorMessage, accept);
  }
  void ShowMessage(const std::string& text) override { ShowErrorMessage(text); }
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
