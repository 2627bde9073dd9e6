#include "update/StartReport.h"

#include <algorithm>
#include <array>

#include "common/DateTime.h"
#include "common/Text.h"
#include "update/SettingsIni.h"
#include "update/Update.h"

namespace kolvex {

namespace {

constexpr std::string_view kSection = "KOLVEX";
constexpr std::string_view kExtension = ".txt";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr char kFileSeparator = '|';  // no file name holds it

// In the order of UpdateResult.
constexpr std::array<std::string_view, 10> kOutcomeTexts{
    "aktualny",
    "zaktualizowany",
    "brak katalogu wspólnego",
    "katalog wspólny nie odpowiada",
    "inne uruchomienie aktualizowało zbyt długo",
    "błąd",
    "katalog wspólny niedostępny",
    "brak prawa zapisu w katalogu instalacji",
    "usługa aktualizacji nie zaktualizowała instalacji",
    "katalog wspólny przestał odpowiadać"};
static_assert(static_cast<size_t>(kLastUpdateResult) + 1 == kOutcomeTexts.size());

struct Key {
  std::string_view name;
  std::string StartReport::*field;
};

// The single-line fields, in the order the file lists them.
constexpr std::array<Key, 7> kHeadKeys{{
    {"KOMPUTER", &StartReport::computer},
    {"UZYTKOWNIK", &StartReport::user},
    {"START", &StartReport::time},
    {"KATALOG", &StartReport::installation},
    {"WERSJA_KOLVEX", &StartReport::launcherVersion},
    {"SHARED_DIR", &StartReport::sharedDir},
    {"PROGRAM", &StartReport::program},
}};
constexpr std::string_view kOutcomeKey = "WYNIK";
// An update with a file refused for its signature; read back as its own
// outcome, which its change lines tell.
constexpr std::string_view kRefusedOutcome = "odrzucony za podpis";
constexpr std::string_view kNotStartedKey = "NIE_URUCHOMIONO";
constexpr std::string_view kChangeKey = "ZMIANA";
constexpr std::string_view kMissingKey = "BRAK_W_KATALOGU_WSPOLNYM";
constexpr std::string_view kRefusedKey = "ODRZUCONY";
constexpr std::string_view kWaitingKey = "CZEKA";
constexpr std::string_view kFileKey = "PLIK";
constexpr std::string_view kShareKey = "KATALOG_WSPOLNY";  // whether the start read the share
constexpr std::string_view kShareSeen = "odczytany", kShareNotSeen = "nieodczytany";
constexpr std::string_view kSharedFileKey = "WSPOLNY_PLIK";
constexpr std::string_view kReasonKey = "POWOD";
constexpr std::string_view kFailureTimeKey = "BLAD_CZAS";
constexpr std::string_view kFailureKey = "BLAD";  // one per line of the text

// One line "KEY=value". A value the profile rules would change (blanks at
// its ends, quotes around it) goes in quotes, which the reader takes off;
// control characters cannot break the line.
void AppendLine(std::string& out, std::string_view key, std::string_view value) {
  std::string clean(value);
  std::replace_if(clean.begin(), clean.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }, ' ');
  const bool quote = !clean.empty() && (Trim(clean).size() != clean.size() || clean.front() == '"' ||
                                        clean.front() == '\'');
  out += key;
  out += '=';
  if (quote) out += '"';
  out += clean;
  if (quote) out += '"';
  out += "\r\n";
}

// A text shown to the user in lines: any of CR, LF, CR LF ends one.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t start = 0;;) {
    const size_t end = text.find_first_of("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return lines;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

}  // namespace

std::string_view OutcomeText(UpdateResult outcome) { return kOutcomeTexts[static_cast<size_t>(outcome)]; }

std::string_view ReportedOutcomeText(const StartReport& report) {
  const bool went = report.outcome == UpdateResult::NothingToDo || report.outcome == UpdateResult::Updated;
  return went && !report.refused.empty() ? kRefusedOutcome : OutcomeText(report.outcome);
}

std::string StartReportFileName(std::string_view computer) {
  std::string name(computer.empty() ? "bez-nazwy" : computer);
  std::replace_if(
      name.begin(), name.end(),
      [](char c) { return static_cast<unsigned char>(c) < 32 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos; },
      '_');
  return name + std::string(kExtension);
}

bool IsStartReportFileName(std::string_view name) {
  return name.size() > kExtension.size() && !name.starts_with('~') &&
         SameTextIgnoringAsciiCase(name.substr(name.size() - kExtension.size()), kExtension);
}

std::string FormatStartReport(const StartReport& report) {
  std::string out(kByteOrderMark);
  out += '[';
  out += kSection;
  out += "]\r\n";
  for (const Key& key : kHeadKeys) AppendLine(out, key.name, report.*key.field);
  AppendLine(out, kOutcomeKey, ReportedOutcomeText(report));
  if (!report.reason.empty()) AppendLine(out, kReasonKey, report.reason);
  if (!report.notStarted.empty()) AppendLine(out, kNotStartedKey, report.notStarted);
  for (const std::string& change : report.changes) AppendLine(out, kChangeKey, change);
  for (const std::string& missing : report.missingOnShare) AppendLine(out, kMissingKey, missing);
  for (const std::string& refused : report.refused) AppendLine(out, kRefusedKey, refused);
  for (const std::string& waiting : report.waiting) AppendLine(out, kWaitingKey, waiting);
  const auto appendFile = [&](std::string_view key, const ReportedFile& file) {
    AppendLine(out, key, file.name + (file.version.empty() ? " |" : " | " + file.version));
  };
  for (const ReportedFile& file : report.files) appendFile(kFileKey, file);
  if (report.shareSight != ShareSight::Unknown)
    AppendLine(out, kShareKey, report.shareSight == ShareSight::Seen ? kShareSeen : kShareNotSeen);
  for (const ReportedFile& file : report.sharedFiles) appendFile(kSharedFileKey, file);
  if (!report.failure.empty()) {
    AppendLine(out, kFailureTimeKey, report.failureTime);
    for (std::string_view line : Lines(report.failure)) AppendLine(out, kFailureKey, line);
  }
  return out;
}

bool ParseStartReport(std::string_view text, StartReport& report) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  const IniText ini(text);
  const auto outcome = ini.Value(kSection, kOutcomeKey);
  if (!outcome) return false;
  const auto known = std::ranges::find(kOutcomeTexts, *outcome);
  if (known == kOutcomeTexts.end() && *outcome != kRefusedOutcome) return false;

  report = StartReport{};
  report.outcome = static_cast<UpdateResult>(known - kOutcomeTexts.begin());
  for (const Key& key : kHeadKeys) report.*key.field = ini.Value(kSection, key.name).value_or("");
  report.failureTime = ini.Value(kSection, kFailureTimeKey).value_or("");
  report.reason = ini.Value(kSection, kReasonKey).value_or("");
  report.notStarted = ini.Value(kSection, kNotStartedKey).value_or("");
  const std::string sight = ini.Value(kSection, kShareKey).value_or("");
  report.shareSight = sight == kShareSeen      ? ShareSight::Seen
                      : sight == kShareNotSeen ? ShareSight::NotSeen
                                               : ShareSight::Unknown;
  bool firstFailureLine = true;
  for (const IniEntry& entry : ini.Entries(kSection)) {
    if (SameTextIgnoringAsciiCase(entry.key, kChangeKey)) {
      report.changes.push_back(entry.value);
    } else if (SameTextIgnoringAsciiCase(entry.key, kMissingKey)) {
      report.missingOnShare.push_back(entry.value);
    } else if (SameTextIgnoringAsciiCase(entry.key, kRefusedKey)) {
      report.refused.push_back(entry.value);
    } else if (SameTextIgnoringAsciiCase(entry.key, kWaitingKey)) {
      report.waiting.push_back(entry.value);
    } else if (const bool shared = SameTextIgnoringAsciiCase(entry.key, kSharedFileKey);
               shared || SameTextIgnoringAsciiCase(entry.key, kFileKey)) {
      const size_t bar = entry.value.rfind(kFileSeparator);
      const std::string_view value = entry.value;
      (shared ? report.sharedFiles : report.files)
          .push_back({std::string(Trim(value.substr(0, std::min(bar, value.size())))),
                      bar == std::string::npos ? "" : std::string(Trim(value.substr(bar + 1)))});
    } else if (SameTextIgnoringAsciiCase(entry.key, kFailureKey)) {
      if (!firstFailureLine) report.failure += '\r';
      report.failure += entry.value;
      firstFailureLine = false;
    }
  }
  if (known == kOutcomeTexts.end())
    report.outcome = report.changes.empty() ? UpdateResult::NothingToDo : UpdateResult::Updated;
  return true;
}

void SetOutcome(StartReport& report, const UpdateOutcome& outcome) {
  report.outcome = outcome.result;
  if (outcome.result == UpdateResult::Failed) {
    report.failure = outcome.failure;
    report.failureTime = report.time;
  }
  report.reason = outcome.reason;
  for (const ComponentUpdate& update : outcome.updates) {
    const bool byDate = update.compareMode == kCompareByDate;
    const std::string from = !byDate                        ? update.oldVersion
                             : update.oldDate == DateTime{} ? std::string(kNoInstalledVersion)
                                                            : FormatSortableDateTime(update.oldDate);
    report.changes.push_back(update.name + ": " + from + " → " +
                             (byDate ? FormatSortableDateTime(update.newDate) : update.newVersion));
  }
  for (const RefusedUpdate& refused : outcome.refused) report.refused.push_back(refused.name + ": " + refused.reason);
  report.waiting = outcome.waiting;
}

void CarryFailure(const StartReport& previous, StartReport& next) {
  const bool succeeded = next.outcome == UpdateResult::NothingToDo || next.outcome == UpdateResult::Updated;
  if (succeeded || !next.failure.empty()) return;
  next.failure = previous.failure;
  next.failureTime = previous.failureTime;
}

}  // namespace kolvex
