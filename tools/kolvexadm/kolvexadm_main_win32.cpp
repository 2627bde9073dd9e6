// kolvexadm: the administrator's console tool.
//
//   kolvexadm podsumuj FOLDER
//     Reads the start reports in FOLDER (REPORT_DIR of baza.set) and writes
//     there podsumowanie.html, a page for any browser, and podsumowanie.csv,
//     the same table for a spreadsheet. Files it cannot read are listed on
//     the page. What it read stays in podsumowanie.dat, so that the next
//     summary opens only the reports changed since. Exit code 0, or 3 when
//     the folder cannot be read or the summary cannot be written.
//
//   kolvexadm sprawdz KATALOG [PROGRAM]
//     Reads baza.set of the installation in KATALOG as the launcher does and
//     prints what a start would do, changing nothing. PROGRAM is the
//     program's file name as the shortcut gives it. Exit code 0 when all is
//     well, 1 with warnings, 2 with errors, 3 when KATALOG is not there.
//     When baza.set chooses the update service, the service is asked too.
//
//   kolvexadm usluga zainstaluj KATALOG
//     Registers the installation in KATALOG with the update service,
//     installing the service when it is not there yet. Administrators only,
//     Windows Vista and later. Exit code 0, 1 with warnings, 2 when refused.
//
//   kolvexadm usluga usun KATALOG
//     Removes the registration; the service too when none is left.
//
//   kolvexadm zainstaluj KATALOG_WSPOLNY KATALOG PROGRAM [/nazwa NAZWA] [/usluga] [/pulpit]
//   kolvexadm odinstaluj KATALOG
//     Sets a workstation up from the share, or repairs it, and takes it
//     away again (Setup_win32.h); exit codes in Setup.h.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/Integers.h"
#include "common/Paths.h"
#include "common/Text.h"
#include "common/TextDecode.h"
#include "common/win32/DateTime.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "tools/kolvexadm/Check_win32.h"
#include "tools/kolvexadm/Service_win32.h"
#include "tools/kolvexadm/Setup_win32.h"
#include "tools/kolvexadm/ReportCache.h"
#include "tools/kolvexadm/Summary.h"

namespace kolvex {

namespace {

constexpr std::string_view kUsage =
    "Użycie:\n"
    "  kolvexadm podsumuj FOLDER             podsumowanie raportów stanowisk (podsumowanie.html i .csv)\n"
    "  kolvexadm sprawdz KATALOG [PROGRAM]   co zrobi uruchomienie programu w tej instalacji\n"
    "  kolvexadm usluga zainstaluj KATALOG   aktualizacja instalacji przez usługę (foldery tylko dla administratorów)\n"
    "  kolvexadm usluga usun KATALOG         koniec aktualizacji instalacji przez usługę\n"
    "  kolvexadm zainstaluj KATALOG_WSPOLNY KATALOG PROGRAM [/nazwa NAZWA] [/usluga] [/pulpit]\n"
    "                                        stanowisko z katalogu wspólnego (także naprawa)\n"
    "  kolvexadm odinstaluj KATALOG          usunięcie tego, co utworzyło zainstaluj\n";
constexpr std::string_view kPageName = "podsumowanie.html";
constexpr std::string_view kCsvName = "podsumowanie.csv";

// UTF-16 to a console, which shows the Polish letters right whatever its
// code page. Redirected to a file or a pipe, the console's own code page
// (the OEM one, 852 on Polish Windows) with CR LF, as the system's own
// commands write: type, findstr and more read that, and so does PowerShell,
// which reads a program's output in the console's code page. None of them
// takes UTF-8 without a byte-order mark for what it is.
void Print(HANDLE out, std::string_view text) {
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    const std::wstring wide = Widen(text);
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::string lines;
  for (const char c : text) lines += c == '\n' ? "\r\n" : std::string_view(&c, 1);
  const UINT console = GetConsoleOutputCP();  // 0 without a console
  const std::string bytes = ToCodePage(lines, console ? console : GetOEMCP());
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void PrintOut(std::string_view text) { Print(GetStdHandle(STD_OUTPUT_HANDLE), text); }

// A report is a few hundred bytes and the folder's listing gives its size:
// one read takes it whole (a file that grew since is read to its end).
// Thousands of them are read, and under Wine each call is a round trip.
std::optional<std::string> ReadReport(const std::string& path, uint64_t listedSize) {
  constexpr uint64_t kReportMost = 1 << 20;  // larger is no report: read by the general reader
  if (listedSize >= kReportMost) return ReadWholeFile(path);
  const DWORD size = static_cast<DWORD>(listedSize);
  const UniqueFile file = OpenForReadingSharedWithAll(WideLongPath(path), FILE_FLAG_SEQUENTIAL_SCAN);
  if (!file) return std::nullopt;
  std::string bytes(size + 1, '\0');  // one byte more tells a file that grew
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), size + 1, &read, nullptr)) return std::nullopt;
  if (read > size) return ReadWholeFile(path);
  bytes.resize(read);
  return bytes;
}

// What a report's content says, or why it says nothing.
ReportEntry Understand(std::string fileName, const std::optional<std::string>& bytes) {
  ReportEntry entry{std::move(fileName), std::nullopt, {}};
  StartReport report;
  if (!bytes) {
    entry.problem = "nie można otworzyć pliku";
  } else if (!IsValidUtf8(*bytes) || !ParseStartReport(*bytes, report)) {
    entry.problem = "to nie jest raport stanowiska";
  } else {
    entry.report = std::move(report);
  }
  return entry;
}

// One part of a piece of work that is shared out among threads.
template <typename Work>
struct WorkPart {
  Work* work;
  size_t part;
};

template <typename Work>
DWORD WINAPI RunWorkPart(void* shared) {
  const auto* start = static_cast<const WorkPart<Work>*>(shared);
  (*start->work)(start->part);
  return 0;
}

// work(part) for each part from 0 to parts - 1 at once: part 0 here, the
// others on threads of their own (or here, after it, where the system makes
// no thread). The system's threads, not std::thread: the tool is built as
// Kolvex.exe is, by compilers whose threads model has none, so that it
// starts on every Windows the launcher does.
template <typename Work>
void RunInParts(size_t parts, Work& work) {
  std::vector<WorkPart<Work>> starts;
  for (size_t part = 1; part < parts; ++part) starts.push_back({&work, part});
  std::vector<UniqueKernelHandle> threads;
  for (WorkPart<Work>& start : starts)
    threads.emplace_back(CreateThread(nullptr, 0, &RunWorkPart<Work>, &start, 0, nullptr));
  work(0);
  for (size_t i = 0; i < threads.size(); ++i) {
    if (threads[i]) WaitForSingleObject(threads[i].get(), INFINITE);
    else work(starts[i].part);
  }
}

uint64_t Ticks(const FILETIME& time) { return uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime; }

// A report folder as read: every file understood as a report or not, and
// the reports with their listing and content, for the next summary.
struct FolderReading {
  std::vector<ReportEntry> entries;
  std::vector<KnownReport> known;
  uint64_t newestWriteTime = 0;
};

// The folder is listed first. A report the last summary read and the listing
// shows unchanged is taken from its cache; the others are read on four
// threads: nearly all of the time is the system's opening of each file (a
// round trip to the server on a share), and the threads overlap those waits.
std::optional<FolderReading> ReadReportFolder(const std::string& folder) {
  constexpr size_t kReaders = 4;
  WIN32_FIND_DATAW found{};
  const UniqueFind find(FindFirstFileW(Widen(LongPathForm(JoinPath(folder, "*"))).c_str(), &found));
  if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(FolderReading{}) : std::nullopt;
  FolderReading reading;
  std::vector<ListedReport> listing;
  uint64_t reportBytes = 0, cacheSize = 0;
  do {
    std::string name = Narrow(found.cFileName);
    const uint64_t size = uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (name == kReportCacheName) cacheSize = size;
    if (!IsStartReportFileName(name)) continue;
    listing.push_back({std::move(name), size, Ticks(found.ftLastWriteTime)});
    reportBytes += size;
    reading.newestWriteTime = std::max(reading.newestWriteTime, listing.back().writeTime);
  } while (FindNextFileW(find.get(), &found));

  // A cache larger than every report with its line is none of this folder's.
  std::vector<std::optional<std::string>> contents(listing.size());
  const bool cacheFits = cacheSize > 0 && cacheSize <= reportBytes + listing.size() * 1024;
  if (const std::optional<std::string> cache =
          cacheFits ? ReadWholeFile(JoinPath(folder, kReportCacheName)) : std::nullopt) {
    std::vector<KnownReport> previous = ParseReportCache(*cache);
    std::unordered_map<std::string_view, KnownReport*> byName;
    for (KnownReport& report : previous) byName.emplace(report.listed.fileName, &report);
    for (size_t i = 0; i < listing.size(); ++i) {
      const auto same = byName.find(listing[i].fileName);
      if (same != byName.end() && same->second->listed == listing[i]) contents[i] = std::move(same->second->bytes);
    }
  }

  reading.entries.resize(listing.size());
  const auto readEvery = [&](size_t first) {
    for (size_t i = first; i < listing.size(); i += kReaders) {
      if (!contents[i]) contents[i] = ReadReport(JoinPath(folder, listing[i].fileName), listing[i].size);
      reading.entries[i] = Understand(listing[i].fileName, contents[i]);
    }
  };
  RunInParts(kReaders, readEvery);

  for (size_t i = 0; i < listing.size(); ++i) {
    if (reading.entries[i].report) reading.known.push_back({std::move(listing[i]), std::move(*contents[i])});
  }
  return reading;
}

int Summarize(const std::string& folder) {
  std::optional<FolderReading> reading = ReadReportFolder(folder);
  if (!reading) {
    PrintOut("Nie można odczytać folderu " + folder + ": " + GetLastErrorString() + "\n");
    return kCheckNoInstallation;
  }
  const Summary summary = Summarize(std::move(reading->entries));
  const std::string page = JoinPath(folder, kPageName), csv = JoinPath(folder, kCsvName);
  if (!ReplaceFileWhole(page, page + ".tmp", SummaryPage(summary, folder, FormatSortableDateTime(Now()))) ||
      !ReplaceFileWhole(csv, csv + ".tmp", SummaryCsv(summary))) {
    PrintOut("Nie można zapisać podsumowania w folderze " + folder + ": " + GetLastErrorString() + "\n");
    return kCheckNoInstallation;
  }
  // Without it the next summary reads every report again: nothing to tell.
  const std::string cache = JoinPath(folder, kReportCacheName);
  ReplaceFileWhole(cache, cache + ".tmp", FormatReportCache(reading->known, reading->newestWriteTime));
  const auto counted = [&](ShareStanding standing) {
    return FormatInteger(static_cast<int64_t>(summary.counts[static_cast<size_t>(standing)]));
  };
  PrintOut("Stanowiska: " + FormatInteger(static_cast<int64_t>(summary.all.size())) +
           ", zgodne z katalogiem wspólnym: " + counted(ShareStanding::UpToDate) +
           ", starsze: " + counted(ShareStanding::Behind) + ", nowsze: " + counted(ShareStanding::Ahead) +
           ", katalog wspólny nieodczytany: " + counted(ShareStanding::NotSeen) +
           ", wersja w katalogu wspólnym nieznana: " + counted(ShareStanding::Unknown) + ", wymagające uwagi: " +
           FormatInteger(static_cast<int64_t>(summary.failures.size())) + ", pliki nieczytelne: " +
           FormatInteger(static_cast<int64_t>(summary.unreadable.size())) + ".\n" + page + "\n" + csv + "\n");
  return 0;
}

int Run(const std::vector<std::string>& args) {
  const auto command = [&](std::string_view a, std::string_view b) {
    return args.size() >= 2 && (SameTextIgnoringAsciiCase(args[1], a) || args[1] == b);
  };
  if (command("podsumuj", "podsumuj") && args.size() == 3) return Summarize(FullPathName(args[2]));
  if (command("sprawdz", "sprawdź") && (args.size() == 3 || args.size() == 4)) {
    const CheckReport report = CheckInstallation(ExtractFileDir(JoinPath(FullPathName(args[2]), "baza.set")),
                                                 args.size() == 4 ? args[3] : "");
    PrintOut(report.text);
    return report.code;
  }
  if (command("usluga", "usługa") && args.size() == 4) {
    const bool install = SameTextIgnoringAsciiCase(args[2], "zainstaluj");
    if (install || SameTextIgnoringAsciiCase(args[2], "usun") || args[2] == "usuń") {
      const CheckReport report = install ? RegisterWithService(args[3]) : UnregisterFromService(args[3]);
      PrintOut(report.text);
      return report.code;
    }
  }
  if (command("zainstaluj", "zainstaluj")) {
    std::string failure;
    if (const std::optional<SetupRequest> request =
            ParseSetupArguments(std::vector<std::string>(args.begin() + 2, args.end()), failure))
      return SetUpWorkstation(*request, &PrintOut);
    PrintOut(failure + "\n");
  }
  if (command("odinstaluj", "odinstaluj") && args.size() == 3) return RemoveWorkstation(args[2], &PrintOut);
  PrintOut(kUsage);
  return kCheckNoInstallation;
}

}  // namespace

}  // namespace kolvex

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(kolvex::Narrow(argv[i]));
  try {
    return kolvex::Run(args);
  } catch (const std::exception& e) {
    kolvex::PrintOut(std::string("Błąd: ") + e.what() + "\n");
    return kolvex::kCheckNoInstallation;
  }
}
