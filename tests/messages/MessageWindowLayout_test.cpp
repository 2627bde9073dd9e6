#include "messages/MessageWindowLayout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "messages/MessageWindow.h"

namespace kolvex::msgwin {
namespace {

using B = TMessageButton;
using ::testing::ElementsAre;

// Seven pixels a byte: enough to tell captions apart by width.
int FakeWidth(std::string_view caption) { return static_cast<int>(caption.size()) * 7; }

ButtonRow Plan(std::vector<B> buttons, B defaultButton = B::OK, std::string customCaptions = "",
               std::string checkCaption = "") {
  MessageOptions options;
  options.buttons = std::move(buttons);
  options.defaultButton = defaultButton;
  options.customCaptions = std::move(customCaptions);
  options.checkCaption = std::move(checkCaption);
  return PlanButtonRow(options, FakeWidth);
}

std::vector<int> Lefts(const ButtonRow& row) {
  std::vector<int> v;
  for (const auto& b : row.buttons) v.push_back(b.left);
  return v;
}
std::vector<int> Widths(const ButtonRow& row) {
  std::vector<int> v;
  for (const auto& b : row.buttons) v.push_back(b.width);
  return v;
}
std::vector<std::string> Captions(const ButtonRow& row) {
  std::vector<std::string> v;
  for (const auto& b : row.buttons) v.push_back(b.caption);
  return v;
}

TEST(TakeListItem, HandsOutItemsThenEmptyOnes) {
  std::string list = "A;B";
  EXPECT_EQ(TakeListItem(list), "A");
  EXPECT_EQ(list, "B");
  EXPECT_EQ(TakeListItem(list), "B");
  EXPECT_EQ(list, "");
  EXPECT_EQ(TakeListItem(list), "");
  EXPECT_EQ(list, "");
}

TEST(TakeListItem, EmptyItemsAndSeparatorsStayWhereTheyAre) {
  std::string list = ";x;;y;";
  EXPECT_EQ(TakeListItem(list), "");
  EXPECT_EQ(TakeListItem(list), "x");
  EXPECT_EQ(TakeListItem(list), "");
  EXPECT_EQ(TakeListItem(list), "y");
  EXPECT_EQ(list, "");  // the last ";" went with "y": nothing follows it
  std::string spaced = " a b ; c";
  EXPECT_EQ(TakeListItem(spaced), " a b ");  // nothing is trimmed
  EXPECT_EQ(spaced, " c");
}

TEST(Kinds, TitlesIconsAndSounds) {
  ASSERT_NE(LookOfKind(TMessageKind::Question), nullptr);
  EXPECT_EQ(LookOfKind(TMessageKind::Question)->title, "Pytanie");
  EXPECT_EQ(LookOfKind(TMessageKind::Question)->iconId, 32514);
  EXPECT_EQ(LookOfKind(TMessageKind::Question)->sound, 0x20u);
  EXPECT_EQ(LookOfKind(TMessageKind::Error)->title, "Błąd");
  EXPECT_EQ(LookOfKind(TMessageKind::Error)->iconId, 32513);
  EXPECT_EQ(LookOfKind(TMessageKind::Error)->sound, 0x10u);
  EXPECT_EQ(LookOfKind(TMessageKind::Warning)->title, "Uwaga");
  EXPECT_EQ(LookOfKind(TMessageKind::Warning)->iconId, 32515);
  EXPECT_EQ(LookOfKind(TMessageKind::Warning)->sound, 0x30u);
  EXPECT_EQ(LookOfKind(TMessageKind::Information)->title, "Informacja");
  EXPECT_EQ(LookOfKind(TMessageKind::Information)->iconId, 32516);
  EXPECT_EQ(LookOfKind(TMessageKind::Information)->sound, 0x40u);
  EXPECT_EQ(LookOfKind(static_cast<TMessageKind>(4)), nullptr);
  EXPECT_EQ(LookOfKind(static_cast<TMessageKind>(255)), nullptr);
}

TEST(PlanButtonRow, FixedButtonsHaveTheirCaptionsGlyphsAndWidths) {
  const ButtonRow row =
      Plan({B::Yes, B::No, B::Cancel, B::OK, B::Help, B::Delete, B::YesToAll, B::NoToAll, B::CancelAll, B::Archive});
  EXPECT_THAT(Captions(row), ElementsAre("&Tak", "&Nie", "&Anuluj", "&OK", "&Pomoc", "&Usuń", "T&ak na wszystkie",
                                         "Nie na &wszystkie", "A&nuluj wszystko", "A&rchiwizuj"));
  EXPECT_THAT(Widths(row), ElementsAre(65, 65, 70, 65, 70, 65, 130, 130, 130, 65));
  std::vector<Glyph> glyphs;
  for (const auto& b : row.buttons) glyphs.push_back(b.glyph);
  EXPECT_THAT(glyphs, ElementsAre(Glyph::Yes, Glyph::Cancel, Glyph::Cancel, Glyph::OK, Glyph::Help, Glyph::Cancel,
                                  Glyph::All, Glyph::Cancel, Glyph::Cancel, Glyph::None));
  EXPECT_EQ(GlyphOf(10), Glyph::None);
  EXPECT_EQ(GlyphOf(200), Glyph::None);
}

TEST(PlanButtonRow, RowWidthIsWidthsPlusTenBetweenNeighbours) {
  const ButtonRow ync = Plan({B::Yes, B::No, B::Cancel});
  EXPECT_EQ(ync.width, 220);
  EXPECT_THAT(Lefts(ync), ElementsAre(0, 75, 150));
  EXPECT_EQ(StartingTextWidth(ync.width), 245);

  const ButtonRow all = Plan({B::YesToAll, B::NoToAll, B::CancelAll});
  EXPECT_EQ(all.width, 410);
  EXPECT_EQ(StartingTextWidth(all.width), 410);
  EXPECT_EQ(OuterWidthFor(StartingTextWidth(all.width)), 480);

  const ButtonRow ok = Plan({B::OK});
  EXPECT_EQ(ok.width, 65);
  EXPECT_EQ(OuterWidthFor(StartingTextWidth(ok.width)), 315);
}

TEST(PlanButtonRow, StartingWidthSwitchesAtThreeHundred) {
  EXPECT_EQ(StartingTextWidth(299), 245);
  EXPECT_EQ(StartingTextWidth(300), 300);
  EXPECT_EQ(StartingTextWidth(0), 245);
}

TEST(PlanButtonRow, CustomCaptionsAreHandedOutInRowOrder) {
  const ButtonRow row = Plan({B::Custom1, B::Custom3, B::Custom1}, B::OK, "A;B");
  EXPECT_THAT(Captions(row), ElementsAre("A", "B", ""));
  EXPECT_THAT(Widths(row), ElementsAre(27, 27, 20));  // text width + 20; an empty caption leaves 20
  EXPECT_THAT(Lefts(row), ElementsAre(0, 37, 74));
  EXPECT_EQ(row.width, 94);
  for (const auto& b : row.buttons) EXPECT_EQ(b.glyph, Glyph::None);
}

TEST(PlanButtonRow, CustomWidthIsCappedAtThreeHundred) {
  EXPECT_THAT(Widths(Plan({B::Custom2}, B::OK, std::string(40, 'x'))), ElementsAre(300));  // 280 + 20
  EXPECT_THAT(Widths(Plan({B::Custom2}, B::OK, std::string(41, 'x'))), ElementsAre(300));  // 287 + 20
  EXPECT_THAT(Widths(Plan({B::Custom2}, B::OK, std::string(39, 'x'))), ElementsAre(293));
}

TEST(PlanButtonRow, ValuesAboveThirteenAreBlankStandardButtons) {
  const ButtonRow row = Plan({static_cast<B>(14), B::OK, static_cast<B>(255)}, B::OK, "not;used");
  EXPECT_THAT(Captions(row), ElementsAre("", "&OK", ""));
  EXPECT_THAT(Widths(row), ElementsAre(75, 65, 75));
  EXPECT_EQ(row.width, 235);
}

TEST(PlanButtonRow, DefaultButtonTakesFocusTheLastOfEqualValues) {
  const ButtonRow row = Plan({B::No, B::Yes, B::No, B::Cancel}, B::No);
  ASSERT_TRUE(row.focus);
  EXPECT_EQ(*row.focus, 2u);
  EXPECT_EQ(row.chosen, B::No);

  const ButtonRow none = Plan({B::Yes, B::No}, B::Cancel);
  EXPECT_FALSE(none.focus);
  EXPECT_EQ(none.chosen, B::Yes);  // what a countdown returns when the default is missing
}

TEST(PlanButtonRow, CheckBoxShowsBesideYesOrALoneOk) {
  EXPECT_TRUE(Plan({B::Yes, B::No}, B::No, "", "Zawsze").checkShown);
  EXPECT_TRUE(Plan({B::No, B::Yes}, B::No, "", "Zawsze").checkShown);
  EXPECT_TRUE(Plan({B::OK}, B::OK, "", "Zawsze").checkShown);
  EXPECT_FALSE(Plan({B::OK, B::Cancel}, B::OK, "", "Zawsze").checkShown);
  EXPECT_FALSE(Plan({B::OK, B::OK}, B::OK, "", "Zawsze").checkShown);
  EXPECT_FALSE(Plan({B::No, B::YesToAll}, B::No, "", "Zawsze").checkShown);
  EXPECT_FALSE(Plan({B::Yes, B::No}, B::No, "", "").checkShown);
  EXPECT_FALSE(Plan({B::OK}, B::OK).checkShown);
}

TEST(LayOutWindow, ErrorWithShortTextIs315Wide) {
  const ButtonRow row = Plan({B::OK});
  const Size frame{6, 25};
  const WindowLayout l = LayOutWindow(row, {245, 26}, frame);
  EXPECT_EQ(l.outer.width, 315);
  EXPECT_EQ(l.client.width, 309);
  EXPECT_EQ(l.icon, (Box{10, 10, 32, 32}));
  EXPECT_EQ(l.text, (Box{55, 10, 245, 26}));
  EXPECT_EQ(l.messagePanelHeight, 50);  // 26 + 10 is less than 50
  EXPECT_EQ(l.buttonPanelTop, 50);
  EXPECT_EQ(l.stripLeft, 122);  // (309 - 65) / 2
  EXPECT_THAT(l.buttons, ElementsAre(Box{122, 64, 65, 25}));
  EXPECT_EQ(l.client.height, 95);
  EXPECT_EQ(l.outer.height, 120);
}

TEST(LayOutWindow, PanelsStackMessageCheckButtons) {
  const ButtonRow row = Plan({B::Yes, B::No}, B::No, "", "Nie pytaj więcej");
  const WindowLayout l = LayOutWindow(row, {300, 78}, {6, 25});
  EXPECT_EQ(l.messagePanelHeight, 88);
  EXPECT_EQ(l.checkBox, (Box{55, 91, 370 - 6 - 55, 17}));
  EXPECT_EQ(l.buttonPanelTop, 112);
  EXPECT_EQ(l.buttons[0].top, 126);
  EXPECT_EQ(l.buttons[1].left - l.buttons[0].left, 75);
  EXPECT_EQ(l.client.height, 157);
}

TEST(LayOutWindow, StripCentringTruncatesTowardZero) {
  const ButtonRow ok = Plan({B::OK});
  EXPECT_EQ(LayOutWindow(ok, {245, 10}, {6, 0}).stripLeft, 122);  // 244 / 2
  EXPECT_EQ(LayOutWindow(ok, {245, 10}, {5, 0}).stripLeft, 122);  // 245 / 2
  // A row wider than the window (the text box was narrowed to the screen
  // limit) hangs over both edges; -1237 / 2 is -618, not -619.
  const ButtonRow wide = Plan({B::Custom1, B::Custom2, B::Custom3, B::Custom4, B::Custom1, B::Custom2}, B::OK,
                              std::string(50, 'x') + ";" + std::string(50, 'x') + ";" + std::string(50, 'x') + ";" +
                                  std::string(50, 'x') + ";" + std::string(50, 'x') + ";" + std::string(50, 'x'));
  ASSERT_EQ(wide.width, 1850);
  const WindowLayout l = LayOutWindow(wide, {549, 100}, {6, 0});
  EXPECT_EQ(l.client.width, 613);
  EXPECT_EQ(l.stripLeft, -618);
  EXPECT_EQ(l.buttons.front().left, -618);
}

TEST(LayOutWindowIn, TooTallIsCutAndWidenedByTheBarTooWideNarrowsTheButtons) {
  const Size frame{6, 25}, screen{1024, 768};
  // 1000 px of text: cut by what the window is too tall, widened by the 17 px bar.
  const WindowLayout tall = LayOutWindowIn(Plan({B::OK}), {245, 1000}, frame, screen, 13, 17);
  EXPECT_EQ(tall.outer.height, 768);
  EXPECT_EQ(tall.text, (Box{55, 10, 262, 1000 - (1080 - 768)}));
  EXPECT_EQ(LayOutWindowIn(Plan({B::OK}), {954, 1000}, frame, screen, 13, 17).text.width, 954);  // no room left
  // A 1850 px row in a 613 px client: 593 - 50 for the buttons, in proportion.
  const ButtonRow wide = Plan({B::Custom1, B::Custom2, B::Custom3, B::Custom4, B::Custom1, B::Custom2}, B::OK,
                              std::string(50, 'x') + ";" + std::string(50, 'x') + ";" + std::string(50, 'x') + ";" +
                                  std::string(50, 'x') + ";" + std::string(50, 'x') + ";" + std::string(50, 'x'));
  const WindowLayout narrowed = LayOutWindowIn(wide, {549, 100}, frame, screen, 13, 17);
  EXPECT_EQ(narrowed.buttons.front(), (Box{10, 124, 90, 25}));
  EXPECT_EQ(narrowed.buttons.back().left, 10 + 5 * 100);
}

TEST(CloseRule, ButtonsAndTheCheckBox) {
  // A click sets the value; OK beside a ticked box answers Yes.
  EXPECT_EQ(ValueOfClick(1, false, true), B::No);
  EXPECT_EQ(ValueOfClick(13, false, true), B::Custom4);
  EXPECT_EQ(ValueOfClick(3, true, true), B::Yes);
  EXPECT_EQ(ValueOfClick(3, true, false), B::OK);
  EXPECT_EQ(ValueOfClick(3, false, true), B::OK);
  EXPECT_EQ(ValueOfClick(14, false, true), std::nullopt);
  EXPECT_EQ(ValueOfClick(-1, false, true), std::nullopt);

  EXPECT_FALSE(AcceptsClose(false, B::OK, true));  // nothing clicked yet
  EXPECT_TRUE(AcceptsClose(true, B::OK, true));
  EXPECT_FALSE(AcceptsClose(true, B::Yes, false));  // Yes waits for the tick
  EXPECT_TRUE(AcceptsClose(true, B::Yes, true));
  EXPECT_TRUE(AcceptsClose(true, B::No, false));
}

TEST(CountdownTitle, AppendsAndRebuilds) {
  EXPECT_EQ(CountdownTitle("Pytanie", 10), "Pytanie 10s");
  EXPECT_EQ(RebuildCountdownTitle("Pytanie 10s", 9), "Pytanie 9s");
  EXPECT_EQ(RebuildCountdownTitle("Błąd 1s", 0), "Błąd 0s");
  // An unknown kind has an empty title: the count stands alone.
  EXPECT_EQ(CountdownTitle("", 3), " 3s");
  EXPECT_EQ(RebuildCountdownTitle(" 3s", 2), " 2s");
  EXPECT_EQ(RebuildCountdownTitle("Pytanie", 2), "Pytanie 2s");
  // At most 50 characters are cut from the first blank on.
  EXPECT_EQ(RebuildCountdownTitle("a " + std::string(49, 'x') + "tail", 1), "atail 1s");
}

}  // namespace
}  // namespace kolvex::msgwin
