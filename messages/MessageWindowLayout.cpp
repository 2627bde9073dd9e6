#include "messages/MessageWindowLayout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "common/Integers.h"

namespace kolvex::msgwin {

namespace {

constexpr std::array<KindLook, 4> kKinds{{
    {"Pytanie", 32514, 0x20},     // IDI_QUESTION, MB_ICONQUESTION
    {"Błąd", 32513, 0x10},        // IDI_HAND, MB_ICONHAND
    {"Uwaga", 32515, 0x30},       // IDI_EXCLAMATION, MB_ICONEXCLAMATION
    {"Informacja", 32516, 0x40},  // IDI_ASTERISK, MB_ICONASTERISK
}};

struct ButtonLook {
  std::string_view caption;
  Glyph glyph;
  int width;
};

// Yes to Archive; the Custom buttons take their captions from the caller.
constexpr std::array<ButtonLook, 10> kFixedButtons{{
    {"&Tak", Glyph::Yes, 65},
    {"&Nie", Glyph::Cancel, 65},  // No shows the Cancel image: there is no No image
    {"&Anuluj", Glyph::Cancel, 70},
    {"&OK", Glyph::OK, 65},
    {"&Pomoc", Glyph::Help, 70},
    {"&Usuń", Glyph::Cancel, 65},
    {"T&ak na wszystkie", Glyph::All, 130},
    {"Nie na &wszystkie", Glyph::Cancel, 130},
    {"A&nuluj wszystko", Glyph::Cancel, 130},
    {"A&rchiwizuj", Glyph::None, 65},
}};

constexpr int kLastCustom = static_cast<int>(TMessageButton::Custom4);

bool IsFixed(int value) { return value >= 0 && value < static_cast<int>(kFixedButtons.size()); }

}  // namespace

const KindLook* LookOfKind(TMessageKind kind) {
  const auto i = static_cast<std::size_t>(kind);
  return i < kKinds.size() ? &kKinds[i] : nullptr;
}

Glyph GlyphOf(int buttonValue) {
  return IsFixed(buttonValue) ? kFixedButtons[static_cast<std::size_t>(buttonValue)].glyph : Glyph::None;
}

std::string TakeListItem(std::string& list) {
  const std::size_t separator = list.find(';');
  if (separator == std::string::npos) return std::exchange(list, std::string());
  std::string item = list.substr(0, separator);
  list.erase(0, separator + 1);
  return item;
}

ButtonRow PlanButtonRow(const MessageOptions& options, const MeasureCaption& captionWidth) {
  ButtonRow row;
  row.buttons.reserve(options.buttons.size());
  std::string captions = options.customCaptions;
  const bool loneButton = options.buttons.size() == 1;
  int x = 0;
  for (const TMessageButton v : options.buttons) {
    const int value = static_cast<int>(v);
    PlannedButton button{v, {}, Glyph::None, x, kBlankButtonWidth};
    if (IsFixed(value)) {
      const ButtonLook& look = kFixedButtons[static_cast<std::size_t>(value)];
      button.caption = look.caption;
      button.glyph = look.glyph;
      button.width = look.width;
    } else if (value <= kLastCustom) {
      button.caption = TakeListItem(captions);
      // The caption is measured as it is shown, its "&" prefixes applied
      // ("&Zapisz" as "Zapisz" with Z underlined), not as the text it is
      // written in: what is shown is what is measured.
      button.width = std::min(captionWidth(button.caption) + kCustomCaptionPadding, kMaxCustomButtonWidth);
    }
    if (!options.checkCaption.empty() && (v == TMessageButton::Yes || (v == TMessageButton::OK && loneButton))) {
      row.checkShown = true;
    }
    x += kButtonGap + button.width;
    if (v == options.defaultButton) {  // the last of equal values wins
      row.focus = row.buttons.size();
      row.chosen = v;
    }
    row.buttons.push_back(std::move(button));
  }
  row.width = x - kButtonGap;
  return row;
}

int StartingTextWidth(int rowWidth) { return rowWidth >= kWideRow ? rowWidth : kNarrowTextWidth; }

int OuterWidthFor(int textWidth) { return kTextLeft + textWidth + kRightMargin; }

WindowLayout LayOutWindow(const ButtonRow& row, Size textBox, Size frame) {
  WindowLayout l;
  l.outer.width = OuterWidthFor(textBox.width);
  l.client.width = l.outer.width - frame.width;
  l.icon = {kIconLeft, kIconTop, kIconSize, kIconSize};
  l.text = {kTextLeft, kTextTop, textBox.width, textBox.height};
  l.messagePanelHeight = std::max(textBox.height + kTextBelow, kMinMessagePanel);
  int top = l.messagePanelHeight;
  if (row.checkShown) {
    l.checkBox = {kTextLeft, top + kCheckTop, l.client.width - kTextLeft, kCheckHeight};
    top += kCheckPanelHeight;
  }
  l.buttonPanelTop = top;
  // Integer division truncates toward zero, also for a row wider than the
  // window, whose strip then starts left of the client area.
  l.stripLeft = (l.client.width - row.width) / 2;
  l.buttons.reserve(row.buttons.size());
  for (const PlannedButton& b : row.buttons) {
    l.buttons.push_back({l.stripLeft + b.left, top + kButtonTop, b.width, kButtonHeight});
  }
  l.client.height = top + kButtonPanelHeight;
  l.outer.height = l.client.height + frame.height;
  return l;
}

int WidestTextBox(int workWidth) { return workWidth - kTextLeft - kRightMargin; }

WindowLayout LayOutWindowIn(const ButtonRow& row, Size textBox, Size frame, Size workArea, int lineHeight,
                            int scrollBarWidth) {
  WindowLayout l = LayOutWindow(row, textBox, frame);
  if (const int excess = l.outer.height - workArea.height; excess > 0) {
    textBox.height = std::max(textBox.height - excess, lineHeight);
    if (OuterWidthFor(textBox.width + scrollBarWidth) <= workArea.width) textBox.width += scrollBarWidth;
    l = LayOutWindow(row, textBox, frame);
  }
  const int gaps = kButtonGap * (static_cast<int>(row.buttons.size()) - 1);
  const int room = l.client.width - 2 * kButtonGap - gaps;
  if (row.width > l.client.width - 2 * kButtonGap && room > 0 && row.width > gaps) {
    int x = kButtonGap;
    for (std::size_t i = 0; i < row.buttons.size(); ++i) {
      l.buttons[i].left = x;
      l.buttons[i].width = static_cast<int>(std::int64_t{row.buttons[i].width} * room / (row.width - gaps));
      x += l.buttons[i].width + kButtonGap;
    }
    l.stripLeft = kButtonGap;
  }
  return l;
}

std::optional<TMessageButton> ValueOfClick(int tag, bool checkShown, bool confirmed) {
  if (tag < 0 || tag > kLastCustom) return std::nullopt;
  const auto value = static_cast<TMessageButton>(tag);
  if (value == TMessageButton::OK && checkShown && confirmed) return TMessageButton::Yes;
  return value;
}

bool AcceptsClose(bool closeAllowed, TMessageButton chosen, bool confirmed) {
  return closeAllowed && (chosen != TMessageButton::Yes || confirmed);
}

std::string CountdownTitle(std::string_view title, int secondsLeft) {
  std::string result(title);
  result += ' ';
  result += FormatInteger(secondsLeft);
  result += 's';
  return result;
}

std::string RebuildCountdownTitle(std::string title, int secondsLeft) {
  constexpr std::size_t kMaxCut = 50;
  if (const std::size_t blank = title.find(' '); blank != std::string::npos) title.erase(blank, kMaxCut);
  return CountdownTitle(title, secondsLeft);
}

}  // namespace kolvex::msgwin
