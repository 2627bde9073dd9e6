#pragma once
// The update's system calls on Windows; a test may change one of them.
#include "files/Signature_win32.h"
#include "files/WindowsCopySystem_win32.h"
#include "launcher/Update.h"

namespace kolvex {

class WindowsUpdateSystem : public UpdateSystem, public WindowsCopySystem {
 public:
  CopySystem& Files() override { return *this; }
  std::string FileVersion(const std::string& path) const override;
  DateTime FileDate(const std::string& path) const override;
  std::string UpperCase(const std::string& text) const override;
  void ShowProgress(const std::string& text) override;
  void CreateDirectories(const std::string& base, const std::string& name) override;
  bool IsCompleteImage(const std::string& path) const override;
  SignatureReader& Signatures() override { return signatures_; }
  void WriteLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update,
                const std::string& exeDir) override;

 private:
  WindowsSignatureReader signatures_;
};

// The system itself.
UpdateSystem& TheUpdateSystem();

}  // namespace kolvex
