// kolvexadm: the administrator's console tool.
//
//   kolvexadm podsumuj FOLDER
//     Reads the start reports in FOLDER (REPORT_DIR of baza.set) and writes
//     there podsumowanie.html, a page for any browser, and podsumowanie.csv,
//     the same table for a spreadsheet. Files it cannot read are listed on
//     the page. Exit code 0, or 3 when the folder cannot be read or the
//     summary cannot be written.
//
//   kolvexadm sprawdz KATALOG [PROGRAM]
//     Reads baza.set of the installation in KATALOG as the launcher does and
//     prints what a start would do, changing nothing. PROGRAM is the
//     program's file name as the shortcut gives it. Exit code 0 when all is
//     well, 1 with warnings, 2 with errors, 3 when KATALOG is not there.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/DateTime.h"
#include "common/Global.h"
#include "common/SystemText.h"
#include "common/TextDecode.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "tools/kolvexadm/Check.h"
#include "tools/kolvexadm/Summary.h"

namespace kolvex {

namespace {

constexpr std::string_view kUsage =
    "Użycie:\n"
    "  kolvexadm podsumuj FOLDER             podsumowanie raportów stanowisk (podsumowanie.html i .csv)\n"
    "  kolvexadm sprawdz KATALOG [PROGRAM]   co zrobi uruchomienie programu w tej instalacji\n";
constexpr std::string_view kPageName = "podsumowanie.html";
constexpr std::string_view kCsvName = "podsumowanie.csv";

// UTF-8 to a pipe or file, UTF-16 to a console, which shows the Polish
// letters right whatever its code page.
void Print(HANDLE out, std::string_view text) {
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    const std::wstring wide = Widen(text);
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

void PrintOut(std::string_view text) { Print(GetStdHandle(STD_OUTPUT_HANDLE), text); }

std::optional<std::vector<ReportEntry>> ReadReportFolder(const std::string& folder) {
  WIN32_FIND_DATAW found{};
  const UniqueFind find(FindFirstFileW(Widen(LongPathForm(JoinPath(folder, "*"))).c_str(), &found));
  if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(std::vector<ReportEntry>{}) : std::nullopt;
  std::vector<ReportEntry> entries;
  do {
    const std::string name = Narrow(found.cFileName);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsStartReportFileName(name)) continue;
    ReportEntry& entry = entries.emplace_back(ReportEntry{name, std::nullopt, {}});
    const std::optional<std::string> bytes = ReadWholeFile(JoinPath(folder, name));
    StartReport report;
    if (!bytes) {
      entry.problem = "nie można otworzyć pliku";
    } else if (!IsValidUtf8(*bytes) || !ParseStartReport(*bytes, report)) {
      entry.problem = "to nie jest raport stanowiska";
    } else {
      entry.report = std::move(report);
    }
  } while (FindNextFileW(find.get(), &found));
  return entries;
}

int Summarize(const std::string& folder) {
  std::optional<std::vector<ReportEntry>> entries = ReadReportFolder(folder);
  if (!entries) {
    PrintOut("Nie można odczytać folderu " + folder + ": " + GetLastErrorString() + "\n");
    return kCheckNoInstallation;
  }
  const Summary summary = Summarize(std::move(*entries));
  const std::string page = JoinPath(folder, kPageName), csv = JoinPath(folder, kCsvName);
  if (!ReplaceFileWhole(page, page + ".tmp", SummaryPage(summary, folder, FormatSortableDateTime(Now()))) ||
      !ReplaceFileWhole(csv, csv + ".tmp", SummaryCsv(summary))) {
    PrintOut("Nie można zapisać podsumowania w folderze " + folder + ": " + GetLastErrorString() + "\n");
    return kCheckNoInstallation;
  }
  PrintOut("Stanowiska: " + FormatInteger(static_cast<int64_t>(summary.all.size())) + ", najnowsza wersja: " +
           (summary.newestVersion.empty() ? "(brak)" : summary.newestVersion) + ", starsze: " +
           FormatInteger(static_cast<int64_t>(summary.behind.size())) + ", wymagające uwagi: " +
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
