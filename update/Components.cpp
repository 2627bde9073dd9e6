#include "update/Components.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "common/Integers.h"
#include "common/Text.h"
#include "common/Unicode.h"
#include "update/InstallationFiles.h"

namespace kolvex {

namespace {

constexpr std::string_view kForbiddenInNames = "<>:\"|?*";
constexpr std::string_view kDeviceNames[] = {"CON", "PRN", "AUX", "NUL"};
constexpr std::string_view kNumberedDevices[] = {"COM", "LPT"};
constexpr size_t kEntriesShown = 10;    // the rest are counted, so that the window fits the screen
constexpr size_t kEntryCharsShown = 120;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

struct Fault {
  EntryFault fault;
  std::string detail;
};

// The numbered devices take a digit; the system counts the superscripts
// one, two and three as digits too ("COM²": in UTF-8 C2 B2).
bool IsDeviceNumber(std::string_view number) {
  if (number.size() == 1) return std::isdigit(static_cast<unsigned char>(number[0]));
  return number.size() == 2 && number[0] == '\xC2' &&
         (number[1] == '\xB9' || number[1] == '\xB2' || number[1] == '\xB3');
}

// The system opens a device for these names, with any extension ("nul.txt").
bool IsDeviceName(std::string_view part) {
  std::string_view stem = part.substr(0, part.find('.'));
  stem = stem.substr(0, stem.find_last_not_of(' ') + 1);
  const auto is = [](std::string_view text) {
    return [text](std::string_view device) { return SameTextIgnoringAsciiCase(text, device); };
  };
  return std::ranges::any_of(kDeviceNames, is(stem)) ||
         (stem.size() > 3 && IsDeviceNumber(stem.substr(3)) &&
          std::ranges::any_of(kNumberedDevices, is(stem.substr(0, 3))));
}

// Walks the name's parts as the system resolves them: "." stays, ".." goes
// up. Parts of dots and blanks only count as ".." when they hold two dots or
// more, since the system drops trailing dots and blanks. For the same reason
// a part that ends in one is another name to the system ("prog.exe." is
// "prog.exe", which the check for the program listed again would miss).
std::optional<Fault> PathFault(std::string_view name) {
  int depth = 0;
  bool lastIsFile = false;
  while (true) {
    const size_t end = std::min(name.find_first_of("\\/"), name.size());
    const std::string_view part = name.substr(0, end);
    const bool dotsOnly = part.find_first_not_of(". ") == std::string_view::npos;
    lastIsFile = !part.empty() && !dotsOnly;
    if (lastIsFile && IsDeviceName(part)) return Fault{EntryFault::DeviceName, std::string(part)};
    if (lastIsFile && (part.back() == '.' || part.back() == ' '))
      return Fault{EntryFault::TrailingDotOrBlank, std::string(part)};
    if (dotsOnly && std::ranges::count(part, '.') >= 2 && --depth < 0) return Fault{EntryFault::ClimbsOut, ".."};
    if (lastIsFile) ++depth;
    if (end == name.size()) break;
    name.remove_prefix(end + 1);
  }
  if (!lastIsFile) return Fault{EntryFault::NotAFile, ""};
  return std::nullopt;
}

std::optional<Fault> NameFault(std::string_view name) {
  if (name.empty()) return Fault{EntryFault::EmptyName, ""};
  if (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) return Fault{EntryFault::ServerName, ""};
  if (IsSeparator(name[0])) return Fault{EntryFault::AbsoluteName, ""};
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
    return Fault{EntryFault::DriveName, std::string(name.substr(0, 2))};
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32 || kForbiddenInNames.find(c) != std::string_view::npos) {
      return Fault{EntryFault::BadCharacter, std::string(1, c)};
    }
  }
  return PathFault(name);
}

std::optional<std::uint8_t> CompareModeFromText(std::string_view text) {
  if (text.empty() || text == "1") return kCompareByVersion;
  if (text == "2") return kCompareByDate;
  return std::nullopt;
}

// Text from a file made safe for the message markup: "<" cannot open a tag
// (a zero-width space follows it), "^" cannot break the line, and control
// characters show as blanks. Long texts are shortened with an ellipsis.
std::string AsPlainText(std::string_view text) {
  std::string out;
  size_t chars = 0;
  for (char c : text) {
    const bool startsChar = !IsUtf8Continuation(c);
    if (startsChar && ++chars > kEntryCharsShown) return out + "\u2026";
    if (c == '<') {
      out += "<\u200B";
    } else if (c == '^') {
      out += "\u02C6";
    } else {
      out += static_cast<unsigned char>(c) < 32 ? ' ' : c;
    }
  }
  return out;
}

// A text from the file between Polish quotation marks, safe for the markup.
std::string Quoted(std::string_view text) {
  std::string out = "„";
  out += AsPlainText(text);
  out += "”";
  return out;
}

}  // namespace

std::string FaultText(const RefusedEntry& refused) {
  switch (refused.fault) {
    case EntryFault::EmptyName:
      return "brak nazwy pliku";
    case EntryFault::ServerName:
      return "nazwa wskazuje komputer w sieci (zaczyna się od „\\\\”)";
    case EntryFault::AbsoluteName:
      return "nazwa zaczyna się od „\\” (ścieżka od katalogu głównego dysku)";
    case EntryFault::DriveName:
      return "nazwa zawiera literę dysku " + Quoted(refused.detail);
    case EntryFault::ClimbsOut:
      return "nazwa wychodzi poza katalog programu („..”)";
    case EntryFault::NotAFile:
      return "nazwa nie wskazuje pliku";
    case EntryFault::TrailingDotOrBlank:
      return Quoted(refused.detail) + " kończy się kropką lub spacją";
    case EntryFault::DeviceName:
      return Quoted(refused.detail) + " to w systemie Windows nazwa urządzenia, nie pliku";
    case EntryFault::BadCharacter: {
      const unsigned char c = static_cast<unsigned char>(refused.detail.at(0));
      return c < 32 ? "nazwa zawiera znak sterujący (kod " + FormatInteger(c) + ")"
                    : "nazwa zawiera niedozwolony znak " + Quoted(refused.detail);
    }
    case EntryFault::UnknownMode:
      return "nieznany sposób porównania " + Quoted(refused.detail) + " (1 – wersja pliku, 2 – data modyfikacji)";
    case EntryFault::ServiceWayFile:
      return "gdy instalację aktualizuje usługa, katalog wspólny nie może zastąpić pliku " + Quoted(refused.detail);
  }
  return {};
}

bool IsComponentName(std::string_view name) { return !NameFault(name); }

std::vector<std::string_view> ResolvedNameParts(std::string_view name) {
  std::vector<std::string_view> parts;
  while (true) {
    const size_t end = std::min(name.find_first_of("\\/"), name.size());
    const std::string_view part = name.substr(0, end);
    const bool dotsOnly = part.find_first_not_of(". ") == std::string_view::npos;
    if (!dotsOnly) {
      parts.push_back(part);
    } else if (std::ranges::count(part, '.') >= 2 && !parts.empty()) {
      parts.pop_back();
    }
    if (end == name.size()) return parts;
    name.remove_prefix(end + 1);
  }
}

bool IsServiceWayFile(std::string_view name) {
  const std::vector<std::string_view> parts = ResolvedNameParts(name);
  return parts.size() == 1 && (SameTextIgnoringAsciiCase(parts[0], kSettingsFileName) ||
                               SameTextIgnoringAsciiCase(parts[0], kTurnFileName) ||
                               SameTextIgnoringAsciiCase(parts[0], kServiceProgram));
}

ComponentList ParseComponents(const std::vector<IniEntry>& entries, bool serviceWay) {
  ComponentList list;
  for (const IniEntry& entry : entries) {
    const std::string_view value = entry.value;
    const size_t firstComma = std::min(value.find(','), value.size());
    const std::string_view rest = value.substr(std::min(firstComma + 1, value.size()));
    const size_t secondComma = std::min(rest.find(','), rest.size());
    const std::string_view name = Trim(value.substr(0, firstComma));
    const std::string_view mode = Trim(rest.substr(0, secondComma));
    const std::string_view caption = Trim(rest.substr(std::min(secondComma + 1, rest.size())));

    std::optional<Fault> fault = NameFault(name);
    if (!fault && serviceWay && IsServiceWayFile(name)) fault = Fault{EntryFault::ServiceWayFile, std::string(name)};
    const std::optional<std::uint8_t> compareMode = CompareModeFromText(mode);
    if (!fault && !compareMode) fault = Fault{EntryFault::UnknownMode, std::string(mode)};
    if (fault) {
      list.refused.push_back({entry.key + "=" + entry.value, fault->fault, std::move(fault->detail)});
    } else {
      list.components.push_back({std::string(name), *compareMode, std::string(caption)});
    }
  }
  return list;
}

std::string RefusedEntriesMessage(const std::vector<RefusedEntry>& refused) {
  std::string text = refused.size() == 1 ? "<B>Ta pozycja sekcji [SKLADNIKI] w pliku baza.set została pominięta:</B>^"
                                         : "<B>Te pozycje sekcji [SKLADNIKI] w pliku baza.set zostały pominięte:</B>^";
  for (size_t i = 0; i < refused.size() && i < kEntriesShown; ++i) {
    text += "^• " + Quoted(refused[i].entry) + ": " + FaultText(refused[i]) + ".";
  }
  if (refused.size() > kEntriesShown) {
    text += "^• pozostałe pominięte pozycje: " + FormatInteger(static_cast<int64_t>(refused.size() - kEntriesShown)) + ".";
  }
  return text +
         "^^Nazwę pliku podaje się względem katalogu programu, np. pomoc\\prog.chm,2. "
         "Pozostałe składniki zostaną zaktualizowane. Przekaż tę informację administratorowi.";
}

}  // namespace kolvex
