// What only the administrator's tool does with a release file and its
// markers: apart from what every start links, to keep the launcher small.
#include <algorithm>

#include "common/Text.h"
#include "common/Integers.h"
#include "common/Paths.h"
#include "update/Release.h"
#include "update/StartReport.h"

namespace kolvex {

namespace {

bool Same(std::string_view a, std::string_view b) { return SameTextIgnoringAsciiCase(a, b); }

}  // namespace

std::string SetReleaseHalted(std::string_view text, bool halted) {
  const std::string line = std::string(kReleaseHaltedKey) + "=" + (halted ? "tak" : "nie");
  std::string out;
  bool done = false, inRelease = false;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view raw = text.substr(0, std::min(end + 1, text.size()));
    text.remove_prefix(raw.size());
    const std::string_view trimmed = Trim(raw);
    const std::string_view ending = raw.ends_with("\r\n") ? "\r\n" : "\n";
    const size_t close = trimmed.rfind(']');
    const bool header = trimmed.starts_with('[') && close != std::string_view::npos;
    if (header) inRelease = Same(trimmed.substr(1, close - 1), kReleaseSection);
    const size_t equals = trimmed.find('=');
    if (inRelease && equals != std::string_view::npos && !trimmed.starts_with(';') &&
        Same(Trim(trimmed.substr(0, equals)), kReleaseHaltedKey)) {
      continue;  // the key's new line stands right after the section's header
    }
    out += raw;
    if (!done && inRelease && header) {
      if (!raw.ends_with('\n')) out += "\r\n";
      out += line + std::string(ending);
      done = true;
    }
  }
  if (!done) {
    if (!out.empty() && !out.ends_with('\n')) out += "\r\n";
    out += "[" + std::string(kReleaseSection) + "]\r\n" + line + "\r\n";
  }
  return out;
}


std::optional<ReleaseStep> ReleaseStepOfLine(std::string_view line) {
  const size_t colon = line.find(": ");
  if (colon == std::string_view::npos) return std::nullopt;
  for (size_t step = 1; step < kReleaseStepTexts.size(); ++step) {
    if (line.substr(colon + 2).starts_with(kReleaseStepTexts[step])) return static_cast<ReleaseStep>(step);
  }
  return std::nullopt;
}

std::optional<std::pair<std::string, std::string>> MarkerParts(std::string_view name) {
  if (name.starts_with('~') || name.size() <= kMarkerExtension.size() ||
      !Same(name.substr(name.size() - kMarkerExtension.size()), kMarkerExtension))
    return std::nullopt;
  name.remove_suffix(kMarkerExtension.size());
  const size_t at = name.rfind('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == name.size()) return std::nullopt;
  return std::pair{std::string(name.substr(0, at)), std::string(name.substr(at + 1))};
}


// A folder holds each name once, whatever its case: each marker is one computer's.
uint32_t CountFailureMarkers(const std::vector<std::string>& names, std::string_view version) {
  const std::string tail = FailureMarkerPattern(version).substr(1);
  uint32_t count = 0;
  for (const std::string& name : names) count += IsFailureMarker(name, tail);
  return count;
}

bool IsFailedStartCode(uint32_t code) { return (code & 0xF0000000u) == 0xC0000000u; }

std::string TakenVersion(const UpdateOutcome& outcome, std::string_view targetName) {
  const std::string_view line = outcome.release;
  for (const ComponentUpdate& update : outcome.updates) {
    const std::string_view version = update.newVersion;
    if (SameFileName(update.name, targetName) && line.starts_with(version) &&
        line.substr(version.size()).starts_with(": przyjęte"))
      return update.newVersion;
  }
  return {};
}

std::string FailureMarkerName(std::string_view computer, std::string_view version) {
  // The computer's name as its report is named, without the report's extension.
  std::string name = StartReportFileName(computer);
  name.resize(name.size() - 4);
  name += FailureMarkerPattern(version).substr(1);
  return name;
}

std::string ExitCodeText(uint32_t code) {
  constexpr struct {
    uint32_t code;
    const char* meaning;
  } kMeanings[] = {
      {0xC0000005u, "naruszenie dostępu do pamięci"},
      {0xC0000135u, "brak biblioteki DLL"},
  };
  const char* meaning = "wyjątek systemu";
  for (const auto& known : kMeanings) {
    if (known.code == code) meaning = known.meaning;
  }
  std::string text = "0x";
  text += FormatInteger(code, 8, 16);
  text += " (";
  text += meaning;
  text += ')';
  return text;
}

}  // namespace kolvex
