// The signer setting, the system's answers, and the verdicts Wine cannot show (it trusts every root).
#include "files/Signature.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kolvex {
namespace {

using ::testing::ElementsAre;
using Status = SignatureStatus;

const std::string kOther = "129BE00525CFEB70427C43B65C664548F10762B7";
const std::string kSha256 = "00D1E2F3A4B5C6D7E8F90A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F";
const Certificate kSigner{"CN=Firma, C=PL", "CN=Firma CA, C=PL", "77AB00525CFEB70427C43B65C664548F10762B70", kSha256};

TEST(SignerRule, ThumbprintsAsWindowsAndOpenSslShowThem) {
  const SignerRule rule = ParseSignerRule(
      " \xE2\x80\x8E" "12 9b e0 05 25 cf eb 70 42 7c 43 b6 5c 66 45 48 f1 07 62 b7 ,same_as_installed,,"
      "77:AB:00:52:5C:FE:B7:04:27:C4:3B:65:C6:64:54:8F:10:76:2B:70, 129BE005,"
      "00d1e2f3a4b5c6d7e8f90a1b2c3d4e5f60718293a4b5c6d7e8f90a1b2c3d4e5f,"
      "D1E2F3A4B5C6D7E8F90A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F");
  EXPECT_THAT(rule.thumbprints, ElementsAre(kOther, kSigner.thumbprint, kSha256));
  EXPECT_TRUE(rule.sameAsInstalled);
  // They let no program in: a SHA-1 cut short, a SHA-256 a digit short.
  EXPECT_THAT(rule.malformed,
              ElementsAre("129BE005", "D1E2F3A4B5C6D7E8F90A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F"));
  EXPECT_FALSE(ParseSignerRule(" , ").Active());
}

TEST(SignerRule, RevokedOrDistrustedIsNoChainAPinCanOverride) {
  EXPECT_EQ(StatusOfTrustResult(0x800B0109), Status::Untrusted);  // untrusted root
  EXPECT_EQ(StatusOfTrustResult(0x800B010C), Status::Invalid);    // revoked
  EXPECT_EQ(StatusOfTrustResult(0x800B0111), Status::Invalid);    // distrusted by the administrator
}

std::string Judge(const std::string& rule, const SignatureFacts& file, const SignatureFacts& installed = {}) {
  return RefusalReason(JudgeSignature(ParseSignerRule(rule), file, [&] { return installed; }));
}

TEST(SignerRule, APinIsTheTrustItselfTheSamePublisherNeedsATrustedRoot) {
  EXPECT_EQ(Judge(kSigner.thumbprint, {Status::Untrusted, kSigner}), "");
  EXPECT_EQ(Judge(kSigner.thumbprint, {Status::Expired, kSigner}), "podpis nieprawidłowy");
  EXPECT_EQ(Judge(kOther + "," + kSha256, {Status::Untrusted, kSigner}), "");
  const SignatureFacts installed{Status::Expired, Certificate{kSigner.subject, kSigner.issuer, kOther}};
  EXPECT_EQ(Judge("SAME_AS_INSTALLED", {Status::Trusted, kSigner}, installed), "");
  EXPECT_EQ(Judge("SAME_AS_INSTALLED", {Status::Untrusted, kSigner}, installed),
            "inny wydawca: CN=Firma, C=PL, " + kSigner.thumbprint);
  EXPECT_NE(Judge("SAME_AS_INSTALLED", {Status::Trusted, kSigner}, {Status::Unsigned}), "");
}

}  // namespace
}  // namespace kolvex
