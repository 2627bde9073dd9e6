#include "files/FileVer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace kolvex {
namespace {

using Bytes = std::vector<std::byte>;
using ::testing::ElementsAre;

// Answers what it was given and notes every sub-block asked for.
class FakeBlock final : public VersionQuery {
 public:
  FakeBlock& Set(const std::string& subBlock, Bytes bytes, uint32_t length) {
    values_[subBlock] = {std::move(bytes), length};
    return *this;
  }
  Answer Query(std::string_view subBlock) const override {
    queries.emplace_back(subBlock);
    const auto found = values_.find(std::string(subBlock));
    if (found == values_.end()) return {};
    return {found->second.bytes, found->second.length};
  }
  mutable std::vector<std::string> queries;

 private:
  struct Value {
    Bytes bytes;
    uint32_t length;
  };
  std::map<std::string, Value> values_;
};

void AppendUint32(Bytes& bytes, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::byte>(v >> shift & 0xFF));
}

// VS_FIXEDFILEINFO: signature, structure version, the version words, then the rest.
Bytes FixedRecord(uint32_t fileMs, uint32_t fileLs, uint32_t productMs, uint32_t productLs) {
  Bytes bytes;
  for (uint32_t v : {0xFEEF04BDu, 0x00010000u, fileMs, fileLs, productMs, productLs}) AppendUint32(bytes, v);
  bytes.resize(52);
  return bytes;
}

Bytes Translations(std::initializer_list<std::pair<uint16_t, uint16_t>> entries) {
  Bytes bytes;
  for (auto [language, codePage] : entries) AppendUint32(bytes, language | static_cast<uint32_t>(codePage) << 16);
  return bytes;
}

Bytes Utf16(std::u16string_view text) {
  Bytes bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::byte>(c & 0xFF));
    bytes.push_back(static_cast<std::byte>(c >> 8));
  }
  return bytes;
}

constexpr const char* kEnglishCompany = "\\StringFileInfo\\040904E4\\CompanyName";

TEST(GetVersionInfoValue, FixedRecordGivesFourDecimalNumbers) {
  FakeBlock block;
  block.Set("\\", FixedRecord(0x00050002, 0x00000011, 0x00020003, 0x00040005), 52);
  EXPECT_EQ(GetVersionInfoValue(block, "FileVersion"), "5.2.0.17");
  EXPECT_EQ(GetVersionInfoValue(block, "ProductVersion"), "2.3.4.5");
  EXPECT_THAT(block.queries, ElementsAre("\\", "\\"));  // the string table is never asked

  FakeBlock highest;
  highest.Set("\\", FixedRecord(0xFFFFFFFF, 0xFFFF0000, 0, 0), 52);
  EXPECT_EQ(GetVersionInfoValue(highest, "FileVersion"), "65535.65535.65535.0");
  EXPECT_EQ(GetVersionInfoValue(highest, "ProductVersion"), "0.0.0.0");
}

TEST(GetVersionInfoValue, FixedRecordNeedsOnlyALengthAboveZeroAndItsWords) {
  Bytes unsigned_ = FixedRecord(0x00010000, 0, 0, 0);
  std::fill_n(unsigned_.begin(), 8, std::byte{0});  // no signature, no structure version
  EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set("\\", unsigned_, 1), "FileVersion"), "1.0.0.0");
  EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set("\\", unsigned_, 0), "FileVersion"), "");
  EXPECT_EQ(GetVersionInfoValue(FakeBlock(), "FileVersion"), "");

  // Where the block ends before a word, the record counts as absent.
  Bytes shortRecord = FixedRecord(0x00010002, 0x00030004, 0x00050006, 0x00070008);
  shortRecord.resize(20);
  const FakeBlock truncated = FakeBlock().Set("\\", shortRecord, 52);
  EXPECT_EQ(GetVersionInfoValue(truncated, "FileVersion"), "1.2.3.4");
  EXPECT_EQ(GetVersionInfoValue(truncated, "ProductVersion"), "");
  shortRecord.resize(15);
  EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set("\\", shortRecord, 52), "FileVersion"), "");
}

TEST(GetVersionInfoValue, NamesThatDifferInCaseComeFromTheStringTable) {
  FakeBlock block;
  block.Set("\\", FixedRecord(0x00010000, 0, 0x00020003, 0x00040005), 52)
      .Set("\\StringFileInfo\\040904E4\\fileversion", Utf16(u"9.9\0"), 4);
  EXPECT_EQ(GetVersionInfoValue(block, "fileversion"), "9.9");
  EXPECT_EQ(GetVersionInfoValue(block, "PRODUCTVERSION"), "");
  EXPECT_THAT(block.queries, ElementsAre("\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\fileversion",
                                         "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\PRODUCTVERSION"));
}

TEST(GetVersionInfoValue, OneTranslationEntryNamesTheTable) {
  FakeBlock polish;
  polish.Set("\\VarFileInfo\\Translation", Translations({{0x0415, 1250}}), 4)
      .Set("\\StringFileInfo\\041504E2\\CompanyName", Utf16(u"Zakład\0"), 7)
      .Set(kEnglishCompany, Utf16(u"English\0"), 8);
  EXPECT_EQ(GetVersionInfoValue(polish, "CompanyName"), "Zakład");
  EXPECT_THAT(polish.queries, ElementsAre("\\VarFileInfo\\Translation", "\\StringFileInfo\\041504E2\\CompanyName"));

  // Hexadecimal digits in upper case, language first.
  FakeBlock spanish;
  spanish.Set("\\VarFileInfo\\Translation", Translations({{0x0C0A, 0x04B0}}), 4);
  GetVersionInfoValue(spanish, "CompanyName");
  EXPECT_EQ(spanish.queries.back(), "\\StringFileInfo\\0C0A04B0\\CompanyName");
}

TEST(GetVersionInfoValue, AnyOtherTranslationLengthReads040904E4) {
  const Bytes two = Translations({{0x0415, 1250}, {0x0409, 1252}});
  for (uint32_t length : {0u, 2u, 3u, 5u, 8u, 0xFFFFFFFFu}) {
    FakeBlock block;
    block.Set("\\VarFileInfo\\Translation", two, length)
        .Set("\\StringFileInfo\\041504E2\\CompanyName", Utf16(u"Zakład\0"), 7)
        .Set(kEnglishCompany, Utf16(u"English\0"), 8);
    EXPECT_EQ(GetVersionInfoValue(block, "CompanyName"), "English") << length;
  }
  // One entry claimed, but the block ends inside it.
  FakeBlock cut;
  cut.Set("\\VarFileInfo\\Translation", Bytes(3), 4);
  GetVersionInfoValue(cut, "CompanyName");
  EXPECT_EQ(cut.queries.back(), kEnglishCompany);
}

TEST(GetVersionInfoValue, LengthsFromOneTo1024AreAccepted) {
  const std::u16string longest(1023, u'x');
  const Bytes text = Utf16(longest + u'\0');
  for (uint32_t length : {1u, 2u, 1023u, 1024u})
    EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set(kEnglishCompany, text, length), "CompanyName"),
              std::string(1023, 'x'))
        << length;
  for (uint32_t length : {0u, 1025u, 0xFFFFFFFFu})
    EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set(kEnglishCompany, text, length), "CompanyName"), "") << length;
  EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set(kEnglishCompany, Utf16(u"\0"), 1), "CompanyName"), "");
  EXPECT_EQ(GetVersionInfoValue(FakeBlock(), "CompanyName"), "");
}

TEST(GetVersionInfoValue, TextEndsAtTheFirstNulOrAtTheBlocksEnd) {
  EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set(kEnglishCompany, Utf16(u"abc\0def\0"), 8), "CompanyName"), "abc");
  EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set(kEnglishCompany, Utf16(u"abc"), 4), "CompanyName"), "abc");
  Bytes oddTail = Utf16(u"ab");
  oddTail.push_back(std::byte{'c'});  // half a character before the end
  EXPECT_EQ(GetVersionInfoValue(FakeBlock().Set(kEnglishCompany, oddTail, 4), "CompanyName"), "ab");
}

TEST(GetVersionInfoValue, TextComesOutAsUtf8) {
  auto read = [](std::u16string_view text) {
    return GetVersionInfoValue(FakeBlock().Set(kEnglishCompany, Utf16(text), 100), "CompanyName");
  };
  EXPECT_EQ(read(u"Zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ"), "Zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ");
  EXPECT_EQ(read(u"\u007f\u0080\u07ff\u0800\uffff"), "\u007f\u0080\u07ff\u0800\uffff");
  EXPECT_EQ(read(u"klucz 𝄞 wiolinowy"), "klucz 𝄞 wiolinowy");
  // A surrogate without its partner cannot be written in UTF-8.
  EXPECT_EQ(read(std::u16string{u'a', 0xD834, u'b'}), "a\uFFFDb");
  EXPECT_EQ(read(std::u16string{u'a', 0xDD1E, 0xD834}), "a\uFFFD\uFFFD");
}

}  // namespace
}  // namespace kolvex
