// SHA-256 against the published examples: one block, the padding spilling
// into a second block, and many blocks.
#include "common/Sha256.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

std::string Hex(const std::string& text) { return Sha256Hex(std::as_bytes(std::span(text))); }

TEST(Sha256, PublishedExamples) {
  EXPECT_EQ(Hex(""), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
  EXPECT_EQ(Hex("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  EXPECT_EQ(Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1");
  EXPECT_EQ(Hex(std::string(1000000, 'a')), "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0");
}

}  // namespace
}  // namespace kolvex
