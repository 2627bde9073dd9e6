// The [SKLADNIKI] entries: how each is parsed or refused, and the warning naming those refused.
#include "update/Components.h"

#include <gtest/gtest.h>

#include <optional>

namespace kolvex {
namespace {

TEST(ParseComponents, FieldsDefaultsAndRefusedEntries) {
  const auto fault = [](EntryFault f) { return std::optional<EntryFault>(f); };
  const struct {
    std::string value;
    Component component;  // when accepted
    std::optional<EntryFault> fault;
  } cases[] = {
      {"prog.dll", {"prog.dll", kCompareByVersion, ""}, {}},
      {"  pomoc\\prog.chm , 2 ,  Pomoc, część 1 ", {"pomoc\\prog.chm", kCompareByDate, "Pomoc, część 1"}, {}},
      {"a/b/../źródło.hlp,,Opis", {"a/b/../źródło.hlp", kCompareByVersion, "Opis"}, {}},
      {".\\prog.dll", {".\\prog.dll", kCompareByVersion, ""}, {}},
      {"COM10.dll", {"COM10.dll", kCompareByVersion, ""}, {}},
      {"", {}, fault(EntryFault::EmptyName)},
      {"\\\\serwer\\x.dll", {}, fault(EntryFault::ServerName)},
      {"\\Windows\\x.dll", {}, fault(EntryFault::AbsoluteName)},
      {"C:\\x.dll", {}, fault(EntryFault::DriveName)},
      {"..\\x.dll", {}, fault(EntryFault::ClimbsOut)},
      {"a\\. .\\. .\\x.dll", {}, fault(EntryFault::ClimbsOut)},
      {"a\\..", {}, fault(EntryFault::NotAFile)},
      {"pomoc\\Nul .txt", {}, fault(EntryFault::DeviceName)},
      {"com1.dll", {}, fault(EntryFault::DeviceName)},
      {"LPT9", {}, fault(EntryFault::DeviceName)},
      {"COM³.log", {}, fault(EntryFault::DeviceName)},
      {"prog.exe.", {}, fault(EntryFault::TrailingDotOrBlank)},
      {"pomoc \\x.dll", {}, fault(EntryFault::TrailingDotOrBlank)},
      {"*.dll", {}, fault(EntryFault::BadCharacter)},
      {"a\tb.dll", {}, fault(EntryFault::BadCharacter)},
      {"x.dll,3", {}, fault(EntryFault::UnknownMode)},
  };
  for (const auto& c : cases) {
    const ComponentList list = ParseComponents({{"plik", c.value}});
    if (c.fault) {
      ASSERT_EQ(list.refused.size(), 1u) << c.value;
      EXPECT_EQ(list.refused[0].fault, *c.fault) << c.value;
      EXPECT_EQ(list.refused[0].entry, "plik=" + c.value);
    } else {
      ASSERT_EQ(list.components.size(), 1u) << c.value;
      EXPECT_EQ(list.components[0].name, c.component.name);
      EXPECT_EQ(list.components[0].compareMode, c.component.compareMode) << c.value;
      EXPECT_EQ(list.components[0].caption, c.component.caption);
    }
  }
}

TEST(RefusedEntriesMessage, NamesEachEntryAndItsFaultSafelyForTheMarkup) {
  std::vector<RefusedEntry> refused{{"a=C:\\x.dll", EntryFault::DriveName, "C:"},
                                    {"b=<B>^x.dll,7", EntryFault::UnknownMode, "7"}};
  const std::string two = RefusedEntriesMessage(refused);
  EXPECT_NE(two.find("„a=C:\\x.dll”: nazwa zawiera literę dysku „C:”."), std::string::npos) << two;
  EXPECT_NE(two.find("„b=<\u200BB>\u02C6x.dll,7”: nieznany sposób porównania „7”"), std::string::npos) << two;
  refused.resize(10, refused[0]);
  EXPECT_EQ(RefusedEntriesMessage(refused).find("pozostałe"), std::string::npos) << "ten are all named";
  refused.resize(13, refused[0]);
  EXPECT_NE(RefusedEntriesMessage(refused).find("pozostałe pominięte pozycje: 3."), std::string::npos);
}

}  // namespace
}  // namespace kolvex
