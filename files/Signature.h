#pragma once
// Whose programs an installation takes: the rule written in baza.set, what
// the system's Authenticode check found in a file, and the verdict on a new
// file before it replaces the installed one. The system is asked through
// SignatureReader; everything decided here is plain rules.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// The word that asks for "the same publisher as the installed file".
inline constexpr std::string_view kSameAsInstalled = "SAME_AS_INSTALLED";

// The signers an installation accepts. Without any item, nothing is checked.
struct SignerRule {
  // Each accepted certificate's SHA-1 (40 upper-case hex digits) or SHA-256 (64)
  std::vector<std::string> thumbprints{};
  bool sameAsInstalled = false;            // or the installed file's publisher, under a trusted root
  std::vector<std::string> malformed{};    // items that are neither, as written: they match no signer
  bool Active() const { return !thumbprints.empty() || sameAsInstalled || !malformed.empty(); }
};

// The rule from its setting: items separated by commas, each a thumbprint
// (SHA-1 or SHA-256, hexadecimal in either case; spaces and colons inside, and the invisible
// direction mark Windows' certificate window copies with it, are dropped) or
// kSameAsInstalled in any case. An empty value is no rule.
SignerRule ParseSignerRule(std::string_view value);

// What the system's check (WinVerifyTrust) said of a file's signature.
enum class SignatureStatus : std::uint8_t {
  Trusted,    // intact, and its chain ends in a root the computer trusts
  Untrusted,  // intact, but its chain does not end in a trusted root, or revocation is not known from the cache
  Expired,    // intact, but its certificate's validity ended and no timestamp from within it says when it was made
  Unsigned,   // the file carries no signature
  Invalid,    // changed since it was signed, a signature that does not verify, a revoked or distrusted
              // certificate, or a file the system could not check
};

// The status for the value WinVerifyTrust returned.
SignatureStatus StatusOfTrustResult(std::uint32_t result);

// The signer's certificate as the verdict compares it. Each starts empty,
// so that a designated initializer may leave it out.
struct Certificate {
  std::string subject{};     // the distinguished name, as the system writes it out
  std::string issuer{};      // the issuing authority's name, likewise
  std::string thumbprint{};  // SHA-1 of the certificate, 40 upper-case hex digits
  std::string sha256{};      // SHA-256 of the certificate, 64 upper-case hex digits
};

struct SignatureFacts {
  SignatureStatus status = SignatureStatus::Unsigned;
  std::optional<Certificate> signer{};  // read from the same check's state
};

// What the system says of files. The Win32 layer has the real one.
class SignatureReader {
 public:
  // The facts of a file that is a Windows program (by its content, not its
  // name); nothing for any other file, which cannot carry such a signature.
  // A missing file is Unsigned, one that cannot be read Invalid.
  virtual std::optional<SignatureFacts> Read(const std::string& path) = 0;
  // Read, through a handle that lets nobody write the file, kept until
  // LetGo: the file stays the bytes checked while it is put in place (a
  // rename, which the handle allows). A file someone is writing is Invalid.
  virtual std::optional<SignatureFacts> ReadHolding(const std::string& path) { return Read(path); }
  virtual void LetGo() noexcept {}

 protected:
  ~SignatureReader() = default;
};

struct SignatureVerdict {
  enum Kind : std::uint8_t { Accepted, NoSignature, BadSignature, OtherPublisher } kind = NoSignature;
  std::optional<Certificate> signer{};
};

// The verdict on a file's facts under rule. A pinned thumbprint (of either
// kind) is the trust
// itself (an internal authority, a self-signed certificate); otherwise, with
// kSameAsInstalled, the signer must have the subject and issuer of the
// installed file's signer (its facts asked for only then) under a trusted root.
SignatureVerdict JudgeSignature(const SignerRule& rule, const SignatureFacts& file,
                                const std::function<SignatureFacts()>& installedFile);

// The verdict on candidate, a file about to replace installed (which may be
// missing), read holding it (ReadHolding); nothing when it needs none: no
// rule, or no Windows program.
std::optional<SignatureVerdict> CheckSignature(const SignerRule& rule, SignatureReader& reader,
                                               const std::string& candidate, const std::string& installed);

// Why a file was refused, as the start report says it: "brak podpisu",
// "podpis nieprawidłowy", "inny wydawca: <subject>, <thumbprint>"; empty
// for an accepted one.
std::string RefusalReason(const SignatureVerdict& verdict);

}  // namespace kolvex
