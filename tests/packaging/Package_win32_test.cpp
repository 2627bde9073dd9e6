// The texts of the release zip as Windows reads them: the example baza.set
// by the launcher and by the system's own profile reader, under any ANSI
// code page, and the guide as Notepad opens it.
#include <gtest/gtest.h>

#include "common/TextDecode.h"
#include "common/win32/Utf.h"
#include "update/Settings_win32.h"
#include "support/TestSupport.h"

namespace kolvex::test {
namespace {

// package/ lies beside bin/ in the build directory.
std::string Packaged(const std::string& name) { return BinDir() + "\\..\\package\\" + name; }

TEST(Package, ExampleSettingsGiveTheSharedDirectoryWithPolishLettersAndNoComponents) {
  const Settings settings = ReadSettings(Packaged(""));
  EXPECT_EQ(settings.sharedDir, "\\\\serwer\\udzia\u0142\\program");
  EXPECT_TRUE(settings.components.components.empty());
  EXPECT_TRUE(settings.components.refused.empty());
  // With the four lines uncommented as the file says, its example is a valid list.
  std::string text = DecodeText(ReadFileBytes(Packaged("baza.set")), FromAnsi);
  for (auto line : {"\n;[SKLADNIKI]", "\n;biblioteka=", "\n;pomoc=", "\n;raporty="}) text.erase(text.find(line) + 1, 1);
  EXPECT_EQ(ParseSettings(text, "C:\\P").components.components.size(), 3u);

  // The comments add no keys and no sections: [MAIN] holds SHARED_DIR alone.
  const std::wstring file = Widen(Packaged("baza.set"));
  wchar_t section[4096];
  const DWORD s = GetPrivateProfileSectionW(L"MAIN", section, 4096, file.c_str());
  EXPECT_EQ(std::wstring(section, s), std::wstring(L"SHARED_DIR=\\\\serwer\\udzia\u0142\\program") + L'\0');
  wchar_t names[256];
  const DWORD m = GetPrivateProfileSectionNamesW(names, 256, file.c_str());
  EXPECT_EQ(std::wstring(names, m), std::wstring(L"MAIN") + L'\0');
}

template <typename Text>
int LinesEndingInLfAlone(const Text& text) {
  int lone = 0;
  for (size_t i = 0; i < text.size(); ++i) lone += text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
  return lone;
}

TEST(Package, TextsHaveAByteOrderMarkAndWindowsLineEnds) {
  const std::string settings = ReadFileBytes(Packaged("baza.set"));
  ASSERT_GE(settings.size(), 2u);
  EXPECT_EQ(settings.substr(0, 2), "\xFF\xFE") << "UTF-16LE";
  const std::wstring wide(reinterpret_cast<const wchar_t*>(settings.data() + 2), (settings.size() - 2) / 2);
  const std::string guide = ReadFileBytes(Packaged("Kolvex-instrukcja.txt"));
  EXPECT_EQ(guide.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8";
  EXPECT_NE(guide.find("Kody wyj\u015Bcia"), std::string::npos) << "Polish letters kept as UTF-8";
  EXPECT_EQ(LinesEndingInLfAlone(wide), 0);
  EXPECT_EQ(LinesEndingInLfAlone(guide), 0);
}

}  // namespace
}  // namespace kolvex::test
