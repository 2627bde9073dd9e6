// The settings as read from real baza.set files.
#include <gtest/gtest.h>

#include "common/TextDecode.h"
#include "common/win32/Files.h"
#include "common/win32/Utf.h"
#include "update/SettingsIni.h"
#include "update/Settings_win32.h"
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

TEST_F(SharedDirSetting, AValueLongerThanAFixedBufferIsReadWhole) {
  const std::string longValue = "X:\\" + std::string(3000, 'd');
  EXPECT_EQ(Read("[MAIN]\r\nSHARED_DIR=" + longValue + "\r\n"), longValue);
}

TEST_F(SharedDirSetting, BinaryGarbageGivesSomeValueWithoutFailing) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
  EXPECT_NO_THROW(Read(garbage));
  EXPECT_EQ(Read(std::string("\0\0\0\0[MAIN]\0", 11)), Fallback());
}

// The system's reader; a null key lists the section's key names, each followed by a NUL.
std::string ProfileString(const std::string& file, const wchar_t* section, const wchar_t* key) {
  std::wstring buffer(1 << 16, L'\0');
  buffer.resize(GetPrivateProfileStringW(section, key, L"", buffer.data(), static_cast<DWORD>(buffer.size()),
                                         Widen(file).c_str()));
  return Narrow(buffer);
}

TEST(SettingsReader, GivesTheSystemProfileReadersAnswers) {
  std::string longSection = "[SKLADNIKI]\r\n";
  for (int i = 0; i < 300; ++i) longSection += "k" + std::to_string(i) + "=plik" + std::to_string(i) + ".dll\r\n";
  const std::string files[] = {
      "[main]\nShared_Dir \t=  X:\\a b \t\r\n[skladniki]\r\n\r\n\t\r\n",
      "  [MAIN] ; uwaga\r\nSHARED_DIR=a=b",
      "[MAIN]\r\nSHARED_DIR=1\r\nshared_dir=2\r\n[MAIN]\r\nSHARED_DIR=3\r\n",
      "[MAIN]\r\nOTHER=1\r\n[MAIN]\r\nSHARED_DIR=2\r\n[SKLADNIKI]\r\na=1\r\n[SKLADNIKI]\r\nb=2\r\n",
      "SHARED_DIR=0\r\n[MAIN]\r\n;SHARED_DIR=1\r\nzwykły tekst\r\nSHARED_DIR=2\r\n",
      "[MAIN]\r\nSHARED_DIR=\"X:\\q\" \r\n[SKLADNIKI]\r\na='b'\r\nc=\"\r\nd=\"e'\r\nf=\"\"\r\ng=\r\n",
      "[MAIN\r\nSHARED_DIR=1\r\n[MAIN]]\r\nSHARED_DIR=2\r\n",
      "[MAIN]\r\nSHARED_DIR=\\\\serwer\\źródła\r\n[SKLADNIKI]\r\nplik1=pomoc\\łódź.chm, 2, Pomoc\r\n"
      "PLIK1=x.dll\r\n plik2 = a.dll \r\n;plik3=b.dll\r\nbez znaku równości\r\n",
      "[MAIN]\r\nSHARED_DIR=X:\\" + std::string(5000, 'd') + "\r\n" + longSection,
  };
  TempDir dir("kolvex-profile");
  int n = 0;
  for (const std::string& text : files) {
    const std::wstring wide = Widen(text);
    const std::string utf16 = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    for (const std::string& bytes : {ToAnsi(text), utf16}) {
      const std::string file = dir / ("case" + std::to_string(++n) + ".ini");  // the system keeps files by name
      WriteFileBytes(file, bytes);
      const IniText ours(DecodeText(*ReadWholeFile(file), FromAnsi));
      EXPECT_EQ(ProfileString(file, L"MAIN", L"SHARED_DIR"), ours.Value("MAIN", "SHARED_DIR").value_or("")) << text;
      std::string keys;
      for (const IniEntry& entry : ours.Entries("SKLADNIKI")) {
        keys += entry.key + '\0';
        EXPECT_EQ(ProfileString(file, L"SKLADNIKI", Widen(entry.key).c_str()), ours.Value("SKLADNIKI", entry.key));
      }
      EXPECT_EQ(ProfileString(file, L"SKLADNIKI", nullptr), keys) << text;
    }
  }
}

}  // namespace
}  // namespace kolvex::test
