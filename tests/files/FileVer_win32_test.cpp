// The version query against the system's own version functions, on fixture
// programs built with chosen version resources.
#include <gtest/gtest.h>

#include <cstring>

#include "common/win32/Utf.h"
#include "files/FileVer_win32.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

std::string Fixture(const std::string& name) { return BinDir() + "\\" + name + ".exe"; }

TEST(GetFileVersionString, FixedRecordAnswersFileAndProductVersion) {
  const std::string file = Fixture("filever_fixed");
  EXPECT_EQ(GetFileVersionString(file, "FileVersion"), "1.0.0.0");
  EXPECT_EQ(GetFileVersionString(file, "ProductVersion"), "2.3.4.5");
  EXPECT_EQ(GetFileVersionString(file, "FileDescription"), "Fixed record against string table");
  // Any other spelling goes to the string table, which the system searches
  // without regard to case.
  EXPECT_EQ(GetFileVersionString(file, "fileversion"), "9.8.7.6");
  EXPECT_EQ(GetFileVersionString(file, "PRODUCTVERSION"), "6.7.8.9");
  EXPECT_EQ(GetFileVersionString(file, "CompanyName"), "");
}

// Run again under Polish and English settings (tests/CMakeLists.txt).
TEST(VersionTextInUserLocale, PolishTableReadsTheSameInEveryCodePage) {
  const std::string file = Fixture("filever_polish");
  EXPECT_EQ(GetFileVersionString(file, "CompanyName"), "Zakład Usług Źródłowych „Żółć” – ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ");
  EXPECT_EQ(GetFileVersionString(file, "Supplementary"), "klucz 𝄞 wiolinowy");
  EXPECT_EQ(GetFileVersionString(file, "FileVersion"), "5.2.0.17");
}

TEST(GetFileVersionString, TwoTranslationsReadTheDefaultTable) {
  const std::string file = Fixture("filever_twotrans");
  EXPECT_EQ(GetFileVersionString(file, "CompanyName"), "English company");
  EXPECT_EQ(GetFileVersionString(file, "OnlyPolish"), "");
}

TEST(GetFileVersionString, StringValuesUpTo1024AsTheSystemCountsThem) {
  const std::string file = Fixture("filever_strings");
  std::string longest;
  while (longest.size() < 1008) longest += "0123456789ABCDEF";
  EXPECT_EQ(GetFileVersionString(file, "Len1024"), longest + "0123456789ABCDe");  // 1023 characters and the NUL
  EXPECT_EQ(GetFileVersionString(file, "Len1025"), "");
  EXPECT_EQ(GetFileVersionString(file, "Short"), "x");
  EXPECT_EQ(GetFileVersionString(file, "Empty"), "");
  EXPECT_EQ(GetFileVersionString(file, "Missing"), "");
}

TEST(GetFileVersionString, ValueIsCutAtItsFirstNul) {
  const std::string file = Fixture("filever_nul");
  EXPECT_EQ(GetFileVersionString(file, "Nul"), "abc");
  EXPECT_EQ(GetFileVersionString(file, "FileVersion"), "7.0.0.1");
}

TEST(GetFileVersionString, ProgramWithoutVersionResource) {
  const std::string file = Fixture("target_noversion");
  EXPECT_EQ(GetFileVersionString(file, "FileVersion"), "");
  EXPECT_EQ(GetFileVersionString(file, "ProductVersion"), "");
  EXPECT_EQ(GetFileVersionString(file, "CompanyName"), "");
}

TEST(GetFileVersionString, MissingFileAndDirectoryAreNotAskedAbout) {
  TempDir dir("kolvex-fv");
  EXPECT_EQ(GetFileVersionString(dir / "missing.exe", "FileVersion"), "");
  EXPECT_EQ(GetFileVersionString(dir / "no\\such\\dir\\x.exe", "FileVersion"), "");
  EXPECT_EQ(GetFileVersionString("", "FileVersion"), "");
  MakeDir(dir / "prog.exe");
  // Finding the directory leaves the thread's last error alone; asking the
  // version functions about it would not.
  SetLastError(0xBEEF);
  EXPECT_EQ(GetFileVersionString(dir / "prog.exe", "FileVersion"), "");
  EXPECT_EQ(GetLastError(), 0xBEEFu);
}

TEST(GetFileVersionString, PathsWithAnyCharacters) {
  TempDir dir("kolvex-fv");
  const std::string sub = dir / "Żółć 日本 Ω";
  MakeDir(sub);
  CopyFileTo(Fixture("filever_polish"), sub + "\\łódź 𝄞.exe");
  EXPECT_EQ(GetFileVersionString(sub + "\\łódź 𝄞.exe", "FileVersion"), "5.2.0.17");
}

// Where the resource section of a program file lies: offset and size.
std::pair<size_t, size_t> ResourceSection(const std::string& image) {
  uint32_t peOffset = 0;
  std::memcpy(&peOffset, image.data() + 0x3C, 4);
  uint16_t sections = 0;
  uint16_t optionalSize = 0;
  std::memcpy(&sections, image.data() + peOffset + 6, 2);
  std::memcpy(&optionalSize, image.data() + peOffset + 20, 2);
  for (size_t i = 0; i < sections; ++i) {
    const char* header = image.data() + peOffset + 24 + optionalSize + 40 * i;
    uint32_t size = 0;
    uint32_t offset = 0;
    std::memcpy(&size, header + 16, 4);
    std::memcpy(&offset, header + 20, 4);
    if (std::strncmp(header, ".rsrc", 8) == 0) return {offset, size};
  }
  return {0, 0};
}

// Repeatable noise.
class Noise {
 public:
  explicit Noise(uint32_t start) : state_(start) {}
  char Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<char>(state_ >> 24);
  }

 private:
  uint32_t state_;
};

void ExpectNothingFrom(const std::string& file, const std::string& what) {
  for (const char* name : {"FileVersion", "ProductVersion", "CompanyName", "Supplementary"})
    EXPECT_EQ(GetFileVersionString(file, name), "") << what << ", " << name;
}

TEST(GetFileVersionString, DamagedProgramsGiveNothing) {
  TempDir dir("kolvex-fv");
  const std::string image = ReadFileBytes(Fixture("filever_polish"));
  const auto [rsrcOffset, rsrcSize] = ResourceSection(image);
  ASSERT_GT(rsrcSize, 0u);
  ASSERT_LE(rsrcOffset + rsrcSize, image.size());
  const std::string file = dir / "damaged.exe";

  for (size_t length : {size_t{0}, size_t{1}, size_t{64}, size_t{512}, rsrcOffset, rsrcOffset + 16}) {
    WriteFileBytes(file, image.substr(0, length));
    ExpectNothingFrom(file, "cut to " + std::to_string(length) + " bytes");
  }
  for (uint32_t start : {1u, 2u, 3u}) {
    std::string garbage = image;
    Noise noise(start);
    for (size_t i = rsrcOffset; i < rsrcOffset + rsrcSize; ++i) garbage[i] = noise.Next();
    WriteFileBytes(file, garbage);
    ExpectNothingFrom(file, "noise " + std::to_string(start) + " over the resources");
  }
  for (char fill : {'\0', '\xFF'}) {
    std::string blank = image;
    std::fill_n(blank.begin() + static_cast<std::ptrdiff_t>(rsrcOffset), rsrcSize, fill);
    WriteFileBytes(file, blank);
    ExpectNothingFrom(file, "resources filled with " + std::to_string(static_cast<unsigned char>(fill)));
  }
}

// The version block itself damaged, the resource directory intact.
TEST(GetFileVersionString, DamagedVersionBlockGivesNothingOrWhatTheBlockHolds) {
  TempDir dir("kolvex-fv");
  const std::string image = ReadFileBytes(Fixture("filever_polish"));
  const std::wstring key = L"VS_VERSION_INFO";
  const size_t keyAt = image.find(std::string(reinterpret_cast<const char*>(key.data()), key.size() * 2));
  ASSERT_NE(keyAt, std::string::npos);
  const size_t blockAt = keyAt - 6;
  uint16_t blockLength = 0;
  std::memcpy(&blockLength, image.data() + blockAt, 2);
  const std::string file = dir / "damaged.exe";

  // A block that claims to reach far beyond itself.
  std::string claiming = image;
  claiming[blockAt] = claiming[blockAt + 1] = '\xFF';
  WriteFileBytes(file, claiming);
  ExpectNothingFrom(file, "block length 65535");

  // Noise over every part in turn: whatever comes back, the program lives
  // and answers with text the block could hold.
  for (size_t at = blockAt; at + 8 <= blockAt + blockLength; at += 8) {
    std::string noisy = image;
    Noise noise(static_cast<uint32_t>(at));
    for (size_t i = at; i < at + 8; ++i) noisy[i] = noise.Next();
    WriteFileBytes(file, noisy);
    for (const char* name : {"FileVersion", "CompanyName"}) {
      const std::string value = GetFileVersionString(file, name);
      EXPECT_LE(value.size(), 4 * 1024u) << "noise at " << at;
      EXPECT_EQ(Narrow(Widen(value)), value) << "noise at " << at;  // well-formed UTF-8
    }
  }
}

TEST(GetFileVersionString, RelativeNameIsTheFileInTheCurrentDirectory) {
  // The program's own directory holds a file of the same name and another
  // version: the one the existence test found is the one read.
  TempDir dir("kolvex-relative");
  CopyFileTo(BinDir() + "\\target_v1014.exe", dir / "target_v1013.exe");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir.path()).c_str()));
  const std::string version = GetFileVersionString("target_v1013.exe", "FileVersion");
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(version, "1.0.1.4");
}

}  // namespace
}  // namespace kolvex::test
