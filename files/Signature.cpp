#include "files/Signature.h"

#include <algorithm>

#include "common/Text.h"

namespace kolvex {

namespace {

// WinVerifyTrust's results that the verdict tells apart (winerror.h).
constexpr std::uint32_t kNoSignature = 0x800B0100;         // TRUST_E_NOSIGNATURE
constexpr std::uint32_t kSubjectFormUnknown = 0x800B0003;  // TRUST_E_SUBJECT_FORM_UNKNOWN
constexpr std::uint32_t kExpired = 0x800B0101;             // CERT_E_EXPIRED
constexpr std::uint32_t kUntrustedRoot = 0x800B0109;       // CERT_E_UNTRUSTEDROOT
constexpr std::uint32_t kChaining = 0x800B010A;            // CERT_E_CHAINING: an authority not found
constexpr std::uint32_t kUntrustedTestRoot = 0x800B010D;   // CERT_E_UNTRUSTEDTESTROOT
constexpr std::uint32_t kRevocationFailure = 0x800B010E;   // CERT_E_REVOCATION_FAILURE
constexpr std::uint32_t kUntrustedCa = 0x800B0112;         // CERT_E_UNTRUSTEDCA
constexpr std::uint32_t kNoRevocationCheck = 0x80092012;   // CRYPT_E_NO_REVOCATION_CHECK
constexpr std::uint32_t kRevocationOffline = 0x80092013;   // CRYPT_E_REVOCATION_OFFLINE

// Left out of an item before it is read: separators people write inside a
// thumbprint, and the left-to-right mark (U+200E) that a thumbprint copied
// from Windows' certificate window begins with.
constexpr std::string_view kDirectionMark = "\xE2\x80\x8E";

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// The item without them, its letters a to z in upper case.
std::string Compact(std::string_view item) {
  std::string out;
  while (!item.empty()) {
    if (item.starts_with(kDirectionMark)) {
      item.remove_prefix(kDirectionMark.size());
      continue;
    }
    const char c = item.front();
    item.remove_prefix(1);
    if (c == ' ' || c == '\t' || c == ':') continue;
    out += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return out;
}

// Whether a file's facts show an intact signature: what it says of its signer holds.
bool IsIntact(SignatureStatus status) {
  return status == SignatureStatus::Trusted || status == SignatureStatus::Untrusted ||
         status == SignatureStatus::Expired;
}

}  // namespace

SignerRule ParseSignerRule(std::string_view value) {
  SignerRule rule;
  for (size_t start = 0; start <= value.size();) {
    const size_t comma = std::min(value.find(',', start), value.size());
    const std::string_view written = Trim(value.substr(start, comma - start));
    start = comma + 1;
    const std::string item = Compact(written);
    if (item.empty()) continue;
    if (item == kSameAsInstalled) {
      rule.sameAsInstalled = true;
    } else if ((item.size() == 40 || item.size() == 64) && std::ranges::all_of(item, IsHexDigit)) {
      rule.thumbprints.push_back(item);
    } else {
      rule.malformed.emplace_back(written);
    }
  }
  return rule;
}

SignatureStatus StatusOfTrustResult(std::uint32_t result) {
  switch (result) {
    case 0:
      return SignatureStatus::Trusted;
    case kNoSignature:
    case kSubjectFormUnknown:
      return SignatureStatus::Unsigned;
    case kExpired:
      return SignatureStatus::Expired;
    case kUntrustedRoot:
    case kChaining:
    case kUntrustedTestRoot:
    case kUntrustedCa:
    case kRevocationFailure:
    case kNoRevocationCheck:
    case kRevocationOffline:
      return SignatureStatus::Untrusted;
    default:
      return SignatureStatus::Invalid;
  }
}

SignatureVerdict JudgeSignature(const SignerRule& rule, const SignatureFacts& file,
                                const std::function<SignatureFacts()>& installedFile) {
  if (file.status == SignatureStatus::Unsigned) return {SignatureVerdict::NoSignature};
  const bool verified = file.status == SignatureStatus::Trusted || file.status == SignatureStatus::Untrusted;
  if (!verified || !file.signer)
    return {SignatureVerdict::BadSignature, file.signer};
  const Certificate& signer = *file.signer;
  const auto pinned = [&](const std::string& thumbprint) {
    return std::ranges::find(rule.thumbprints, thumbprint) != rule.thumbprints.end();
  };
  if (pinned(signer.thumbprint) || pinned(signer.sha256)) return {SignatureVerdict::Accepted, signer};
  if (rule.sameAsInstalled && file.status == SignatureStatus::Trusted) {
    // An installed file whose certificate has expired since still names its publisher.
    const SignatureFacts installed = installedFile();
    if (IsIntact(installed.status) && installed.signer && installed.signer->subject == signer.subject &&
        installed.signer->issuer == signer.issuer)
      return {SignatureVerdict::Accepted, signer};
  }
  return {SignatureVerdict::OtherPublisher, signer};
}

std::optional<SignatureVerdict> CheckSignature(const SignerRule& rule, SignatureReader& reader,
                                               const std::string& candidate, const std::string& installed) {
  if (!rule.Active()) return std::nullopt;
  const std::optional<SignatureFacts> facts = reader.ReadHolding(candidate);
  if (!facts) return std::nullopt;
  // The installed file's facts are worth asking only if it is a program too.
  return JudgeSignature(rule, *facts, [&] { return reader.Read(installed).value_or(SignatureFacts{}); });
}

std::string RefusalReason(const SignatureVerdict& verdict) {
  switch (verdict.kind) {
    case SignatureVerdict::Accepted:
      return {};
    case SignatureVerdict::NoSignature:
      return "brak podpisu";
    case SignatureVerdict::BadSignature:
      return "podpis nieprawidłowy";
    case SignatureVerdict::OtherPublisher:
      break;
  }
  return "inny wydawca: " + verdict.signer->subject + ", " + verdict.signer->thumbprint;
}

}  // namespace kolvex
