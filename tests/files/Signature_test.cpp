// The signer setting, the system's answers, and the verdicts Wine cannot show (it trusts every root).
#include "files/Signature.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kolvex {
namespace {

using ::testing::ElementsAre;
using Status = SignatureStatus;

const std::string kOther = "129BE00525CFEB70427C43B65C664548F10762B7";
const Certificate kSigner{"CN=Firma, C=PL", "CN=Firma CA, C=PL", "77AB00525CFEB70427C43B65C664548F10762B70"};

TEST(SignerRule, ThumbprintsAsWindowsAndOpenSslShowThem) {
  const SignerRule rule = ParseSignerRule(
      " \xE2\x80\x8E" "12 9b e0 05 25 cf eb 70 42 7c 43 b6 5c 66 45 48 f1 07 62 b7 ,same_as_installed,,"
      "77:AB:00:52:5C:FE:B7:04:27:C4:3B:65:C6:64:54:8F:10:76:2B:70, 129BE005");
  EXPECT_THAT(rule.thumbprints, ElementsAre(kOther, kSigner.thumbprint));
  EXPECT_TRUE(rule.sameAsInstalled);
  EXPECT_THAT(rule.malformed, ElementsAre("129BE005"));  // it lets no program in
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
  const SignatureFacts installed{Status::Expired, Certificate{kSigner.subject, kSigner.issuer, kOther}};
  EXPECT_EQ(Judge("SAME_AS_INSTALLED", {Status::Trusted, kSigner}, installed), "");
  EXPECT_EQ(Judge("SAME_AS_INSTALLED", {Status::Untrusted, kSigner}, installed),
            "inny wydawca: CN=Firma, C=PL, " + kSigner.thumbprint);
  EXPECT_NE(Judge("SAME_AS_INSTALLED", {Status::Trusted, kSigner}, {Status::Unsigned}), "");
}

}  // namespace
}  // namespace kolvex
