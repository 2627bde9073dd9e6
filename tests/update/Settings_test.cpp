// baza.set as text; the profile reader's rules are held against the system's in Settings_win32_test.cpp.
#include "update/Settings.h"

#include <gtest/gtest.h>

namespace kolvex {
namespace {

TEST(ParseSettings, AllEntriesOfTheFirstSectionInFileOrder) {
  const Settings settings = ParseSettings(
      "[skladniki]\r\n;stary=x.dll\r\nb=b.dll\r\nB=a.dll\r\n=c.dll,2\r\nzły=..\\d.dll\r\n[SKLADNIKI]\r\ne=e.dll\r\n",
      "C:\\P");
  EXPECT_EQ(settings.sharedDir, "C:\\P\\SHARED");
  EXPECT_EQ(settings.reportDir, "");
  std::string names;
  for (const Component& c : settings.components.components) names += c.name + ";";
  EXPECT_EQ(names, "b.dll;a.dll;c.dll;");
  EXPECT_EQ(settings.components.refused.at(0).entry, "zły=..\\d.dll");
  EXPECT_FALSE(settings.updatedByService);
  const Settings serviceWay =
      ParseSettings("[MAIN]\r\nAKTUALIZACJA = Usługa\r\n[SKLADNIKI]\r\nb=BAZA.SET\r\na=a.dll\r\n", "C:\\P");
  EXPECT_TRUE(serviceWay.updatedByService);
  EXPECT_EQ(serviceWay.components.components.size(), 1u);
  EXPECT_EQ(serviceWay.components.refused.at(0).fault, EntryFault::ServiceWayFile);
}

TEST(SettingsWarnings, NameWhatTheLauncherPassesOverInSilence) {
  const std::vector<std::string> warnings = SettingsWarnings(
      "[MAIN]\r\nSHARED_DIR=\\\\serwer\\udzial\r\nREPORT_DIR=r\r\nshared_dir=x\r\nSHARED_DlR=y\r\nAKTUALIZACJA=auto\r\n"
      "[SKŁADNIKI]\r\na=a.dll\r\n[skladniki]\r\npomoc=prog.hlp;2;Pomoc\r\nb=b.dll ;x\r\n;c=c.dll;\r\n"
      "[Skladniki]\r\n");
  const std::vector<std::string> expected{
      "nieznana sekcja [SKŁADNIKI] jest pomijana (czy chodziło o [SKLADNIKI]?).",
      "powtórzona sekcja [Skladniki] jest pomijana",
      "powtórzony klucz shared_dir",
      "nieznany klucz SHARED_DlR",
      "nieznana wartość AKTUALIZACJA=auto",
      "pozycja pomoc=prog.hlp;2;Pomoc zawiera „;”",
      "pozycja b=b.dll ;x zawiera „;”",
  };
  ASSERT_EQ(warnings.size(), expected.size()) << ::testing::PrintToString(warnings);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(warnings[i].find(expected[i]), 0u) << warnings[i];
  EXPECT_TRUE(SettingsWarnings("[main]\r\nshared_dir=x\r\naktualizacja=USŁUGA\r\n[SKLADNIKI]\r\na=a.dll,2,Opis\r\n").empty());
}

}  // namespace
}  // namespace kolvex
