#pragma once
// What the markup renderer needs of the rich-text box it fills, and of the
// platform around it: one real implementation on the rich-edit control, one
// fake for the tests.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kolvex {

enum class FontStyle : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

// A set of the four font styles.
class FontStyles {
 public:
  constexpr FontStyles() = default;
  constexpr FontStyles(FontStyle s) : bits_(static_cast<std::uint8_t>(s)) {}  // the set of one style
  constexpr bool Has(FontStyle s) const { return (bits_ & static_cast<std::uint8_t>(s)) != 0; }
  constexpr FontStyles With(FontStyle s) const { return FontStyles(bits_ | static_cast<std::uint8_t>(s)); }
  constexpr FontStyles Without(FontStyle s) const { return FontStyles(bits_ & ~static_cast<std::uint8_t>(s)); }
  constexpr unsigned Bits() const { return bits_; }  // 0 to 15
  constexpr bool operator==(const FontStyles&) const = default;

 private:
  constexpr explicit FontStyles(unsigned bits) : bits_(static_cast<std::uint8_t>(bits)) {}
  std::uint8_t bits_ = 0;
};

// 0x00BBGGRR a plain colour, 0x80000000 + n system colour n, 0x20000000 the default.
using ColorValue = std::int32_t;
inline constexpr ColorValue kDefaultColor = 0x20000000;

enum class Alignment { Left, Right, Center };

struct TextExtent {
  int width = 0;
  int height = 0;
};

// An off-screen canvas holding the box's own font; closing it releases it.
class TextCanvas {
 public:
  virtual ~TextCanvas() = default;
  // Width and height in pixels of the text drawn in the canvas font with the
  // given styles; nothing when the platform could not measure it.
  virtual std::optional<TextExtent> Measure(std::string_view text, FontStyles styles) = 0;
};

// Text crosses this interface as UTF-8; a "character" is one code point.
class MarkupBox {
 public:
  virtual ~MarkupBox() = default;

  virtual void Clear() = 0;
  // The default text font and the box's own font.
  virtual void SetFont(const std::string& name, int size) = 0;
  // Off: every paragraph is one line. On: lines wrap at the box's width.
  virtual void SetWordWrap(bool on) = 0;

  // At the caret, which then stands after it, in the insertion style and colour.
  virtual void InsertText(std::string_view text) = 0;
  virtual FontStyles InsertionStyle() const = 0;
  virtual void SetInsertionStyle(FontStyles styles) = 0;
  virtual ColorValue InsertionColor() const = 0;
  virtual void SetInsertionColor(ColorValue color) = 0;
  virtual void InsertParagraphBreak() = 0;
  // Of the paragraph at the caret.
  virtual void SetParagraphAlignment(Alignment alignment) = 0;

  // An empty last line is not counted.
  virtual int LineCount() const = 0;
  // Without its line break. This and CharStyle are asked only while word
  // wrap is off, when every paragraph is one line.
  virtual std::string LineText(int line) const = 0;
  // The index counts characters from the start of the line.
  virtual FontStyles CharStyle(int line, int index) const = 0;

  virtual int Width() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual int Height() const = 0;
  virtual void SetHeight(int height) = 0;
  // Left edge within the parent window.
  virtual int Left() const = 0;

  // The platform around the box.
  virtual int ScreenWidth() const = 0;
  // A canvas with the box's own font; null when the platform could not give one.
  virtual std::unique_ptr<TextCanvas> OpenCanvas() const = 0;
};

}  // namespace kolvex
