#include "update/Release.h"

#include <algorithm>
#include <array>

#include "common/Integers.h"
#include "common/Paths.h"
#include "common/Text.h"
#include "update/SettingsIni.h"

namespace kolvex {

namespace {

constexpr std::array kReleaseKeys = {kReleaseVersionKey, kReleasePilotKey,  kReleaseStageKey,
                                     kReleaseLimitKey,   kReleaseHaltedKey, kReleaseRollBackKey};

bool Same(std::string_view a, std::string_view b) { return SameTextIgnoringAsciiCase(a, b); }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Digits only, at most max; nothing for anything else.
std::optional<uint32_t> Number(std::string_view text, uint32_t max) {
  text = Trim(text);
  if (text.empty() || text.size() > 9) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

// Whether one key's value was understood, taken into release.
bool Take(Release& release, const IniEntry& entry) {
  const std::string_view value = entry.value;
  if (Same(entry.key, kReleaseVersionKey)) {
    release.version = value;
    return !value.empty() && value.find_first_of(" \t,;") == std::string_view::npos;
  }
  if (Same(entry.key, kReleasePilotKey)) {
    for (std::string_view rest = value;;) {
      const size_t comma = rest.find(',');
      const std::string_view name = Trim(rest.substr(0, comma));
      if (name.empty()) return false;
      release.pilots += name;
      release.pilots += ',';
      if (comma == std::string_view::npos) return true;
      rest.remove_prefix(comma + 1);
    }
  }
  if (Same(entry.key, kReleaseStageKey)) {
    const size_t comma = value.find(',');
    if (comma == std::string_view::npos) return false;
    const std::optional<DateTime> from = ParseStageTime(Trim(value.substr(0, comma)));
    std::string_view percent = Trim(value.substr(comma + 1));
    if (percent.ends_with('%')) percent.remove_suffix(1);
    const std::optional<uint32_t> share = Number(percent, 100);
    if (from && share) release.stages.push_back({*from, static_cast<int>(*share)});
    return from && share;
  }
  if (Same(entry.key, kReleaseLimitKey)) {
    release.failureLimit = Number(value, 100000).value_or(0);
    return release.failureLimit != 0;
  }
  bool& flag = Same(entry.key, kReleaseHaltedKey) ? release.halted : release.rollBack;
  flag = Same(value, "tak");
  return flag || Same(value, "nie");
}


// The problem's sentence: what, and the text it is about in quotes.
std::string Problem(std::string_view what, std::string_view text) {
  std::string problem(what);
  problem += " „";
  problem += text;
  problem += "”";
  return problem;
}

// What the profile reader would pass over in silence, or take from where it
// should not: a line neither blank, nor a comment, nor a section, nor a key
// with its value; any section but one [WYDANIE].
std::string LineProblem(std::string_view text) {
  int sections = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    const size_t close = line.rfind(']');
    if (line.starts_with('[') && close != std::string_view::npos) {
      if (!Same(line.substr(1, close - 1), kReleaseSection) || ++sections > 1) return Problem("sekcja", line);
    } else if (!line.empty() && !line.starts_with(';') && line.find('=') == std::string_view::npos) {
      return Problem("niezrozumiały wiersz", line);
    }
  }
  return sections == 0 ? Problem("brak sekcji", "[WYDANIE]") : std::string();
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  // The last star's place and the name's place it stands for, to go back to.
  size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (p < pattern.size() && Upper(pattern[p]) == Upper(name[n])) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// The computer's name as its files are named: no character a file name refuses.
std::string FileSafeName(std::string_view computer) {
  std::string name(computer.empty() ? "bez-nazwy" : computer);
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 32 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      c = '_';
  }
  return name;
}

void AppendStage(std::string& out, const std::optional<ReleaseStage>& stage) {
  out += stage ? "etap " + FormatInteger(stage->percent) + " %" : "przed etapami";
}

}  // namespace

std::optional<DateTime> ParseStageTime(std::string_view text) {
  // YYYY-MM-DD hh:mm[:ss], each field exactly its digits; the fields' values
  // gathered as the shape is checked, a separator starting the next.
  constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
  if (text.size() != kShape.size() && text.size() != kShape.size() - 3) return std::nullopt;
  int fields[6] = {};
  int* field = fields;
  for (size_t i = 0; i < text.size(); ++i) {
    if (kShape[i] != 'd') {
      if (text[i] != kShape[i]) return std::nullopt;
      ++field;
    } else if (text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    } else {
      *field = *field * 10 + (text[i] - '0');
    }
  }
  return EncodeDateTime({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
}

ReleaseFile ParseRelease(std::string_view text) {
  std::string problem = LineProblem(text);
  const IniText ini(text);
  Release release;
  unsigned seen = 0;  // the keys met, a bit each in the order of kReleaseKeys
  for (const IniEntry& entry : ini.Entries(kReleaseSection)) {
    if (!problem.empty()) break;
    const auto known = std::ranges::find_if(kReleaseKeys, [&](std::string_view k) { return Same(k, entry.key); });
    const unsigned bit = 1u << (known - kReleaseKeys.begin());
    // A key not known, repeated where only one counts, or a value not understood.
    if (known == kReleaseKeys.end() || ((seen & bit) && *known != kReleasePilotKey && *known != kReleaseStageKey) ||
        !Take(release, entry)) {
      problem = Problem("niezrozumiały wpis", entry.key);
      problem.insert(problem.size() - 3, "=" + entry.value);
    }
    seen |= bit;
  }
  if (problem.empty() && release.version.empty()) problem = Problem("brak klucza", kReleaseVersionKey);
  if (problem.empty() && release.failureLimit == 0) problem = Problem("brak klucza", kReleaseLimitKey);
  if (!problem.empty()) return {.problem = std::move(problem)};
  return {.release = std::move(release)};
}

int ReleaseBucket(std::string_view computer, std::string_view version) {
  uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a's offset basis
  const auto add = [&](char c) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;  // and its prime
  };
  for (char c : computer) add(Upper(c));
  add('\0');
  for (char c : version) add(c);
  // FNV's low bits are mixed poorly: the finaliser of MurmurHash3 spreads
  // every bit over all of them before the remainder is taken.
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdull;
  hash ^= hash >> 33;
  hash *= 0xc4ceb9fe1a85ec53ull;
  hash ^= hash >> 33;
  return static_cast<int>(hash % 100);
}

bool IsPilot(const Release& release, std::string_view computer) {
  for (std::string_view rest = release.pilots; !rest.empty(); rest.remove_prefix(rest.find(',') + 1)) {
    if (WildcardMatch(rest.substr(0, rest.find(',')), computer)) return true;
  }
  return false;
}

DateTime StageOpens(const Release& release, const ReleaseStage& stage) {
  double opens = stage.from.value;
  for (const ReleaseStage& smaller : release.stages) {
    if (smaller.percent < stage.percent) opens = std::max(opens, smaller.from.value);
  }
  return {opens};
}

std::optional<ReleaseStage> StageInForce(const Release& release, DateTime now) {
  std::optional<ReleaseStage> inForce;
  for (const ReleaseStage& stage : release.stages) {
    const DateTime opens = StageOpens(release, stage);
    if (opens.value <= now.value && (!inForce || stage.percent > inForce->percent)) inForce = ReleaseStage{opens, stage.percent};
  }
  return inForce;
}

bool NeedsFailureCount(const ReleaseFacts& facts) {
  const Release& release = facts.file.release;
  return facts.fileFound && facts.file.problem.empty() && facts.installed && facts.shareVersion == release.version &&
         (facts.installedVersion != release.version || release.rollBack);
}

ReleaseDecision DecideRelease(const ReleaseFacts& facts) {
  if (!facts.fileFound || !facts.installed) return {};
  const Release& release = facts.file.release;
  if (!facts.file.problem.empty()) return {.step = ReleaseStep::HeldBack, .why = facts.file.problem};
  if (facts.shareVersion != release.version) return {};
  ReleaseDecision decision{.version = release.version,
                           .bucket = ReleaseBucket(facts.computer, release.version),
                           .pilot = IsPilot(release, facts.computer),
                           .stage = StageInForce(release, facts.now),
                           .failures = facts.failures.value_or(0)};
  const bool has = facts.installedVersion == release.version;
  if (!facts.failures && (!has || release.rollBack)) {
    decision.step = ReleaseStep::HeldBack;
    decision.why = "folder raportów nieczytelny";
  } else if (release.halted || decision.failures >= release.failureLimit) {
    decision.step = has && release.rollBack ? ReleaseStep::RollBack : has ? ReleaseStep::Free : ReleaseStep::Halted;
    decision.why = release.halted ? "przez administratora" : "po nieudanych startach";
  } else if (has) {
    decision.step = ReleaseStep::Free;
  } else {
    const bool inStage = decision.stage && decision.bucket < decision.stage->percent;
    decision.step = decision.pilot || inStage ? ReleaseStep::Take : ReleaseStep::Wait;
  }
  return decision;
}

std::string ReleaseReportLine(const ReleaseDecision& d) {
  if (d.step == ReleaseStep::Free) return {};
  std::string line = d.version.empty() ? "?" : d.version;
  line += ": ";
  line += kReleaseStepTexts[static_cast<size_t>(d.step)];
  if (!d.why.empty()) {
    line += d.step == ReleaseStep::HeldBack ? ": " : " ";
    line += d.why;
  }
  if (d.step == ReleaseStep::Take || d.step == ReleaseStep::Wait) {
    line += d.pilot ? " (pilotaż" : " (koszyk ";
    if (!d.pilot) line += FormatInteger(d.bucket);
    line += ", ";
    AppendStage(line, d.stage);
    line += ')';
  }
  return line;
}



std::string FailureMarkerPattern(std::string_view version) {
  std::string pattern = "*@";
  pattern += FileSafeName(version);
  pattern += kMarkerExtension;
  return pattern;
}

bool IsFailureMarker(std::string_view name, std::string_view tail) {
  return !name.starts_with('~') && name.size() > tail.size() && Same(name.substr(name.size() - tail.size()), tail);
}





}  // namespace kolvex
