// baza.set as text; the profile reader's rules are held against the system's in Settings_win32_test.cpp.
#include "update/Settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "update/ServiceWayPaths.h"

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

namespace kolvex {
namespace {

// What the update service, running as the system, cannot reach: a path
// relative to a start-in folder it has none of, a user's network drive, a
// letter it does not see.
TEST(ServiceWayPaths, OnlyUncPathsAndLocalDisksAreReachable) {
  struct Case {
    std::string_view path;
    DriveKind drive;
    std::string_view fault;  // a part of the reason; empty: reachable
  } const cases[] = {
      {"\\\\serwer\\programy", DriveKind::Missing, ""},   {"//serwer/programy", DriveKind::Missing, ""},
      {"D:\\programy", DriveKind::Local, ""},             {"P:\\programy", DriveKind::Network, "dysku sieciowym P:"},
      {"p:/programy", DriveKind::Missing, "dysku p: nie ma"}, {"programy", DriveKind::Local, "względna"},
      {"..\\programy", DriveKind::Local, "względna"},     {"\\programy", DriveKind::Local, "względna"},
      {"C:programy", DriveKind::Local, "względna"},       {"", DriveKind::Local, "względna"},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> fault = ServiceWayPathFault("SHARED_DIR", c.path, c.drive);
    EXPECT_EQ(fault.has_value(), !c.fault.empty()) << c.path;
    if (fault) {
      EXPECT_THAT(*fault, ::testing::AllOf(::testing::HasSubstr(std::string(c.fault)),
                                           ::testing::HasSubstr("podaj ścieżkę UNC")))
          << c.path;
    }
  }
}

}  // namespace
}  // namespace kolvex
