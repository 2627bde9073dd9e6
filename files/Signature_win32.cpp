#include "files/Signature_win32.h"

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <array>

#include "common/Integers.h"
#include "common/Sha256.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Library.h"
#include "common/win32/Utf.h"
#include "files/ExeImage.h"
#include "files/FileRetry_win32.h"

namespace kolvex {

namespace {

struct TrustFunctions {
  decltype(&::WinVerifyTrust) WinVerifyTrust;
  decltype(&::WTHelperProvDataFromStateData) WTHelperProvDataFromStateData;
  decltype(&::WTHelperGetProvSignerFromChain) WTHelperGetProvSignerFromChain;
  decltype(&::CertNameToStrW) CertNameToStrW;
  decltype(&::CertGetCertificateContextProperty) CertGetCertificateContextProperty;
};

// Loaded on the first check and kept: only starts that copy a program need
// them. By their full path in the system directory: neither is one of the
// system's known libraries, and a copy planted in the program's folder
// would decide the check (common/win32/Library.h).
const TrustFunctions* Trust() {
  static const std::optional<TrustFunctions> functions = []() -> std::optional<TrustFunctions> {
    const HMODULE wintrust = LoadSystemLibrary(L"wintrust.dll");
    const HMODULE crypt32 = LoadSystemLibrary(L"crypt32.dll");
    const TrustFunctions found{
        .WinVerifyTrust = ProcAddress<decltype(&::WinVerifyTrust)>(wintrust, "WinVerifyTrust"),
        .WTHelperProvDataFromStateData =
            ProcAddress<decltype(&::WTHelperProvDataFromStateData)>(wintrust, "WTHelperProvDataFromStateData"),
        .WTHelperGetProvSignerFromChain =
            ProcAddress<decltype(&::WTHelperGetProvSignerFromChain)>(wintrust, "WTHelperGetProvSignerFromChain"),
        .CertNameToStrW = ProcAddress<decltype(&::CertNameToStrW)>(crypt32, "CertNameToStrW"),
        .CertGetCertificateContextProperty = ProcAddress<decltype(&::CertGetCertificateContextProperty)>(
            crypt32, "CertGetCertificateContextProperty"),
    };
    if (!found.WinVerifyTrust || !found.WTHelperProvDataFromStateData || !found.WTHelperGetProvSignerFromChain ||
        !found.CertNameToStrW || !found.CertGetCertificateContextProperty)
      return std::nullopt;
    return found;
  }();
  return functions ? &*functions : nullptr;
}

std::string NameText(const TrustFunctions& trust, CERT_NAME_BLOB& name) {
  const DWORD length = trust.CertNameToStrW(X509_ASN_ENCODING, &name, CERT_X500_NAME_STR, nullptr, 0);
  std::wstring text(length, L'\0');
  trust.CertNameToStrW(X509_ASN_ENCODING, &name, CERT_X500_NAME_STR, text.data(), length);
  text.resize(length > 0 ? length - 1 : 0);  // the count includes the terminating zero
  return Narrow(text);
}

// The signer's certificate, the first of its chain, from a check's state.
std::optional<Certificate> Signer(const TrustFunctions& trust, HANDLE state) {
  CRYPT_PROVIDER_DATA* const provider = trust.WTHelperProvDataFromStateData(state);
  const CRYPT_PROVIDER_SGNR* const signer =
      provider ? trust.WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert)
    return std::nullopt;
  const CERT_CONTEXT* const certificate = signer->pasCertChain[0].pCert;
  std::array<BYTE, 20> hash{};
  DWORD size = hash.size();
  if (!trust.CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash.data(), &size) ||
      size != hash.size())
    return std::nullopt;
  Certificate found{.subject = NameText(trust, certificate->pCertInfo->Subject),
                    .issuer = NameText(trust, certificate->pCertInfo->Issuer)};
  for (const BYTE byte : hash) found.thumbprint += FormatInteger(byte, 2, 16);
  // Computed here: the system's own SHA-256 of a certificate comes only with
  // later service packs of XP.
  found.sha256 = Sha256Hex(std::as_bytes(std::span(certificate->pbCertEncoded, certificate->cbCertEncoded)));
  return found;
}

// One WinVerifyTrust check of an open file, its state released at the end.
class TrustCheck {
 public:
  TrustCheck(const TrustFunctions& trust, const std::wstring& path, HANDLE file) : trust_(trust) {
    file_ = {.cbStruct = sizeof file_, .pcwszFilePath = path.c_str(), .hFile = file, .pgKnownSubject = nullptr};
    data_.cbStruct = sizeof data_;
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &file_;
    data_.dwStateAction = WTD_STATEACTION_VERIFY;
    // No network look-up may hold up a start: revocation as the cache knows it.
    data_.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    result_ = trust_.WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  ~TrustCheck() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    trust_.WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  TrustCheck(const TrustCheck&) = delete;
  TrustCheck& operator=(const TrustCheck&) = delete;

  SignatureFacts Facts() const {
    return {.status = StatusOfTrustResult(static_cast<uint32_t>(result_)),
            .signer = Signer(trust_, data_.hWVTStateData)};
  }

 private:
  const TrustFunctions& trust_;
  GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  WINTRUST_FILE_INFO file_{};
  WINTRUST_DATA data_{};
  LONG result_ = 0;
};

}  // namespace

std::optional<SignatureFacts> WindowsSignatureReader::Read(const std::string& path) {
  UniqueFile file;
  return ReadThrough(path, file, false);
}

std::optional<SignatureFacts> WindowsSignatureReader::ReadHolding(const std::string& path) {
  held_.reset();
  return ReadThrough(path, held_, true);
}

std::optional<SignatureFacts> WindowsSignatureReader::ReadThrough(const std::string& path, UniqueFile& file,
                                                                  bool deniesWriting) {
  const std::wstring wide = WideLongPath(path);
  // A fresh copy may be held for a moment by an on-access virus scanner.
  const DWORD error = RetryWhileHeld([&] {
    file = deniesWriting ? OpenForReadingSharedExceptWriting(wide) : OpenForReadingSharedWithAll(wide);
    return file ? ERROR_SUCCESS : GetLastError();
  });
  if (!file) {
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return SignatureFacts{.status = missing ? SignatureStatus::Unsigned : SignatureStatus::Invalid};
  }
  std::array<std::byte, kProgramMarkSize> head{};
  DWORD read = 0;
  if (!ReadFile(file.get(), head.data(), head.size(), &read, nullptr))
    return SignatureFacts{.status = SignatureStatus::Invalid};
  if (!IsProgramStart({head.data(), read})) return std::nullopt;
  const TrustFunctions* const trust = Trust();
  const LARGE_INTEGER start{};
  if (!trust || !SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
    return SignatureFacts{.status = SignatureStatus::Invalid};
  return TrustCheck(*trust, wide, file.get()).Facts();
}

}  // namespace kolvex
