// The settings as read from real baza.set files.
#include <gtest/gtest.h>

#include "common/win32/Utf.h"
#include "launcher/Kolvex.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

class SharedDirSetting : public ::testing::Test {
 protected:
  std::string Read(const std::string& settingsBytes) {
    WriteFileBytes(dir_ / "baza.set", settingsBytes);
    return ReadSettings(dir_.path()).sharedDir;
  }
  std::string Fallback() const { return dir_.path() + "\\SHARED"; }
  TempDir dir_{"kolvex-settings"};
};

TEST_F(SharedDirSetting, MissingFileSectionOrKeyGiveTheSharedSubdirectory) {
  EXPECT_EQ(ReadSettings(dir_.path()).sharedDir, Fallback());
  EXPECT_EQ(Read("[OTHER]\r\nSHARED_DIR=X:\\a\r\n"), Fallback());
  EXPECT_EQ(Read("[MAIN]\r\nOTHER=X:\\a\r\n"), Fallback());
  EXPECT_EQ(Read(""), Fallback());
}

TEST_F(SharedDirSetting, EmptyValueIsLikeAMissingKey) {
  EXPECT_EQ(Read("[MAIN]\r\nSHARED_DIR=\r\n"), Fallback());
  EXPECT_EQ(Read("[MAIN]\r\nSHARED_DIR=   \r\n"), Fallback());
}

TEST_F(SharedDirSetting, ValueIsTakenLiterallyApartFromSurroundingBlanks) {
  EXPECT_EQ(Read("[MAIN]\r\nSHARED_DIR=\\\\srv\\share\\app\r\n"), "\\\\srv\\share\\app");
  EXPECT_EQ(Read("[MAIN]\r\nSHARED_DIR =   X:\\shared dir\\  \r\n"), "X:\\shared dir\\");
  EXPECT_EQ(Read("[main]\nshared_dir=..\\common\n"), "..\\common");
  EXPECT_EQ(Read("[MAIN]\r\nSHARED_DIR=Y:\\one\r\n[MAIN2]\r\nSHARED_DIR=Y:\\two\r\n"), "Y:\\one");
}

TEST_F(SharedDirSetting, PolishLettersInEachEncoding) {
  const std::string utf16 = "\xFF\xFE" + std::string(
      "[\0M\0A\0I\0N\0]\0\r\0\n\0S\0H\0A\0R\0E\0D\0_\0D\0I\0R\0=\0X\0:\0\\\0\x05\x01\x42\x01\r\0\n\0", 50);
  EXPECT_EQ(Read(utf16), "X:\\ął");
  EXPECT_EQ(Read("\xEF\xBB\xBF[MAIN]\r\nSHARED_DIR=X:\\ął\r\n"), "X:\\ął");
  EXPECT_EQ(Read("[MAIN]\r\nSHARED_DIR=X:\\ął\r\n"), "X:\\ął");
  EXPECT_EQ(Read(ToAnsi("[MAIN]\r\nSHARED_DIR=X:\\ąłé\r\n")), FromAnsi(ToAnsi("X:\\ąłé")));
}

TEST_F(SharedDirSetting, AValueOverTheOldReadersLimitIsReadWhole) {
  const std::string longValue = "X:\\" + std::string(3000, 'd');
  EXPECT_EQ(Read("[MAIN]\r\nSHARED_DIR=" + longValue + "\r\n"), longValue);
}

TEST_F(SharedDirSetting, BinaryGarbageGivesSomeValueWithoutFailing) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
  EXPECT_NO_THROW(Read(garbage));
  EXPECT_EQ(Read(std::string("\0\0\0\0[MAIN]\0", 11)), Fallback());
}

}  // namespace
}  // namespace kolvex::test
