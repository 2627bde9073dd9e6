#pragma once
// INI text read by the rules of the Windows profile reader, so that a
// baza.set which works with one works the same here: sections and keys
// without regard to case (letters a to z), the first of repeated sections and
// of repeated keys, blanks around names and values dropped, lines without "="
// and lines starting with ";" ignored, one pair of matching quotes around a
// value taken off. Lines end at LF; values are kept whole, however long.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

struct IniEntry {
  std::string key;
  std::string value;  // quotes taken off as by a key lookup
};

class IniText {
 public:
  explicit IniText(std::string_view text);

  // The value of the first key of that name in the first section of that
  // name; nothing when either is missing.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // Every entry of the first section of that name, in file order, repeated keys included.
  const std::vector<IniEntry>& Entries(std::string_view section) const;
  // The names of all sections, in file order, repeated ones too.
  std::vector<std::string_view> SectionNames() const;

 private:
  struct Section {
    std::string name;
    std::vector<IniEntry> entries;
  };
  const Section* Find(std::string_view section) const;
  std::vector<Section> sections_;
};

}  // namespace kolvex
