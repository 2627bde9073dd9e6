#pragma once
// The signature check on Windows: WinVerifyTrust with the generic verify
// action, without any user interface and with revocation known only from the
// local cache, and the signer's certificate read from that same check's state.
#include "files/Signature.h"

namespace kolvex {

class WindowsSignatureReader final : public SignatureReader {
 public:
  std::optional<SignatureFacts> Read(const std::string& path) override;
};

}  // namespace kolvex
