// Whose signature an installation takes: the setting, the system's answer, the verdict.
#include "files/Signature.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kolvex {
namespace {

using ::testing::ElementsAre;
using Status = SignatureStatus;

const std::string kPinned = "129BE00525CFEB70427C43B65C664548F10762B7";
const Certificate kSigner{"CN=Firma, C=PL", "CN=Firma CA, C=PL", "77AB00525CFEB70427C43B65C664548F10762B70"};

TEST(SignerRule, ThumbprintsAsWindowsAndOpenSslShowThem) {
  const SignerRule rule = ParseSignerRule(
      " \xE2\x80\x8E" "12 9b e0 05 25 cf eb 70 42 7c 43 b6 5c 66 45 48 f1 07 62 b7 ,same_as_installed,,"
      "77:AB:00:52:5C:FE:B7:04:27:C4:3B:65:C6:64:54:8F:10:76:2B:70, 129BE005, Firma");
  EXPECT_THAT(rule.thumbprints, ElementsAre(kPinned, kSigner.thumbprint));
  EXPECT_TRUE(rule.sameAsInstalled);
  EXPECT_THAT(rule.malformed, ElementsAre("129BE005", "Firma"));
  EXPECT_FALSE(ParseSignerRule(" , ").Active());
  EXPECT_TRUE(ParseSignerRule("Firma").Active());  // a mistyped setting lets no program in
}

TEST(SignerRule, ResultsOfTheSystemsCheck) {
  EXPECT_EQ(StatusOfTrustResult(0x800B0109), Status::Untrusted);  // untrusted root
  EXPECT_EQ(StatusOfTrustResult(0x80092013), Status::Untrusted);  // revocation not in the cache
  EXPECT_EQ(StatusOfTrustResult(0x800B010C), Status::Invalid);    // revoked
  EXPECT_EQ(StatusOfTrustResult(0x800B0111), Status::Invalid);    // distrusted by the administrator
  EXPECT_EQ(StatusOfTrustResult(0x80096010), Status::Invalid);    // changed since signed
  EXPECT_EQ(StatusOfTrustResult(0x800B0100), Status::Unsigned);
}

std::string Judge(const std::string& rule, const SignatureFacts& file, const SignatureFacts& installed = {}) {
  return RefusalReason(JudgeSignature(ParseSignerRule(rule), file, [&] { return installed; }));
}

TEST(SignerRule, APinnedCertificateIsTheTrustItself) {
  const std::string pinned = kSigner.thumbprint + "," + kPinned;
  EXPECT_EQ(Judge(pinned, {Status::Untrusted, kSigner}), "");
  EXPECT_EQ(Judge(pinned, {Status::Expired, kSigner}), "podpis nieprawidłowy");
  EXPECT_EQ(Judge(pinned, {Status::Invalid, kSigner}), "podpis nieprawidłowy");
  EXPECT_EQ(Judge(pinned, {Status::Unsigned}), "brak podpisu");
  EXPECT_EQ(Judge(kPinned, {Status::Trusted, kSigner}), "inny wydawca: CN=Firma, C=PL, " + kSigner.thumbprint);
}

TEST(SignerRule, TheSamePublisherAsInstalledUnderATrustedRoot) {
  const SignatureFacts installed{Status::Expired, Certificate{kSigner.subject, kSigner.issuer, kPinned}};
  EXPECT_EQ(Judge("SAME_AS_INSTALLED", {Status::Trusted, kSigner}, installed), "");
  EXPECT_EQ(Judge("SAME_AS_INSTALLED", {Status::Untrusted, kSigner}, installed), "inny wydawca: CN=Firma, C=PL, " + kSigner.thumbprint);
  Certificate otherIssuer = kSigner;
  otherIssuer.issuer = "CN=Inne CA";
  EXPECT_THAT(Judge("SAME_AS_INSTALLED", {Status::Trusted, otherIssuer}, installed), ::testing::StartsWith("inny wydawca"));
  EXPECT_THAT(Judge("SAME_AS_INSTALLED", {Status::Trusted, kSigner}, {Status::Unsigned}), ::testing::StartsWith("inny wydawca"));
}

}  // namespace
}  // namespace kolvex
