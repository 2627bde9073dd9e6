#pragma once
// The signature check on Windows: WinVerifyTrust with the generic verify
// action, without any user interface and with revocation known only from the
// local cache, and the signer's certificate read from that same check's state.
#include "common/win32/Handles.h"
#include "files/Signature.h"

namespace kolvex {

class WindowsSignatureReader final : public SignatureReader {
 public:
  std::optional<SignatureFacts> Read(const std::string& path) override;
  // The handle shares reading and deleting only: the file can be renamed
  // into place while it is held, never written.
  std::optional<SignatureFacts> ReadHolding(const std::string& path) override;
  void LetGo() noexcept override { held_.reset(); }

 private:
  std::optional<SignatureFacts> ReadThrough(const std::string& path, UniqueFile& file, bool deniesWriting);

  UniqueFile held_;
};

}  // namespace kolvex
