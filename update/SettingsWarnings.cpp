// What the launcher reads past without a word, said for the administrator's
// check of an installation.
#include <algorithm>
#include <array>

#include "common/Text.h"
#include "update/Settings.h"

namespace kolvex {

namespace {

constexpr std::array kSections = {kMainSection, kComponentsSection};
constexpr std::array kMainKeys = {kSharedDirKey, kSharedTimeoutKey, kReportDirKey, kSignedByKey, kUpdateKey};

bool SameText(std::string_view a, std::string_view b) { return SameTextIgnoringAsciiCase(a, b); }

// The name with Polish letters as their plain Latin ones, so that
// [SKŁADNIKI] is recognised as meant for [SKLADNIKI].
std::string WithoutPolishLetters(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, char>, 18> kLetters{{
      {"ą", 'a'}, {"ć", 'c'}, {"ę", 'e'}, {"ł", 'l'}, {"ń", 'n'}, {"ó", 'o'}, {"ś", 's'}, {"ź", 'z'}, {"ż", 'z'},
      {"Ą", 'A'}, {"Ć", 'C'}, {"Ę", 'E'}, {"Ł", 'L'}, {"Ń", 'N'}, {"Ó", 'O'}, {"Ś", 'S'}, {"Ź", 'Z'}, {"Ż", 'Z'},
  }};
  std::string out;
  while (!name.empty()) {
    const auto letter = std::ranges::find_if(kLetters, [&](const auto& l) { return name.starts_with(l.first); });
    if (letter != kLetters.end()) {
      out += letter->second;
      name.remove_prefix(letter->first.size());
    } else {
      out += name.front();
      name.remove_prefix(1);
    }
  }
  return out;
}

template <size_t N>
bool Knows(const std::array<std::string_view, N>& known, std::string_view name) {
  return std::ranges::any_of(known, [&](std::string_view k) { return SameText(k, name); });
}

// " (czy chodziło o [X]?)" when the name differs from a known one only by
// its Polish letters.
template <size_t N>
std::string Hint(const std::array<std::string_view, N>& known, std::string_view name, std::string_view open,
                 std::string_view close) {
  const std::string plain = WithoutPolishLetters(name);
  for (std::string_view k : known) {
    if (SameText(k, plain)) return " (czy chodziło o " + std::string(open) + std::string(k) + std::string(close) + "?)";
  }
  return {};
}

}  // namespace

std::vector<std::string> SettingsWarnings(std::string_view text) {
  const IniText ini(text);
  std::vector<std::string> warnings;
  std::vector<std::string_view> seen;
  for (std::string_view section : ini.SectionNames()) {
    const std::string name = "[" + std::string(section) + "]";
    if (!Knows(kSections, section)) {
      warnings.push_back("nieznana sekcja " + name + " jest pomijana" + Hint(kSections, section, "[", "]") + ".");
    } else if (std::ranges::any_of(seen, [&](std::string_view s) { return SameText(s, section); })) {
      warnings.push_back("powtórzona sekcja " + name + " jest pomijana (liczy się tylko pierwsza).");
    }
    seen.push_back(section);
  }
  std::vector<std::string_view> keys;
  for (const IniEntry& entry : ini.Entries(kMainSection)) {
    if (!Knows(kMainKeys, entry.key)) {
      warnings.push_back("nieznany klucz " + entry.key + " w sekcji [MAIN] jest pomijany" +
                         Hint(kMainKeys, entry.key, "", "") + ".");
    } else if (std::ranges::any_of(keys, [&](std::string_view k) { return SameText(k, entry.key); })) {
      warnings.push_back("powtórzony klucz " + entry.key + " w sekcji [MAIN] jest pomijany (liczy się pierwszy).");
    }
    keys.push_back(entry.key);
  }
  if (const std::optional<std::string> update = ini.Value(kMainSection, kUpdateKey);
      update && !IsServiceUpdate(*update)) {
    warnings.push_back("nieznana wartość " + std::string(kUpdateKey) + "=" + *update +
                       " w sekcji [MAIN]: uruchomienia aktualizują instalację same (usługę aktualizacji wybiera " +
                       std::string(kUpdateKey) + "=" + std::string(kUpdateByService) + ").");
  }
  for (const IniEntry& entry : ini.Entries(kComponentsSection)) {
    if (entry.value.find(';') != std::string::npos)
      warnings.push_back("pozycja " + entry.key + "=" + entry.value +
                         " zawiera „;”: pola rozdziela się przecinkami (nazwa,tryb,opis), a średnik staje się "
                         "częścią nazwy pliku.");
  }
  return warnings;
}

}  // namespace kolvex
