#pragma once
// What the last summary read from a report folder, kept there beside the
// page: a report whose listing shows the size and time of last change it had
// then is taken from here instead of being opened again. Thousands of
// workstations report, every open is a round trip to the file server, and
// between two summaries only the workstations started since have written.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// A report file as the folder's listing gives it.
struct ListedReport {
  std::string fileName;
  uint64_t size = 0;
  uint64_t writeTime = 0;  // of the last change, in 100 ns units (FILETIME)
  friend bool operator==(const ListedReport&, const ListedReport&) = default;
};

// A listed report and its whole content as read.
struct KnownReport {
  ListedReport listed;
  std::string bytes;
};

inline constexpr std::string_view kReportCacheName = "podsumowanie.dat";

// The file's content. Reports changed less than two seconds before the
// newest change the listing shows are left out: a file system that keeps
// times in steps of two seconds (FAT) may give a report replaced since the
// same size and time, and only a later listing tells them apart.
std::string FormatReportCache(const std::vector<KnownReport>& reports, uint64_t newestWriteTime);

// The reports a cache holds; none when it is damaged or of another format,
// so that every report is read again.
std::vector<KnownReport> ParseReportCache(std::string_view text);

}  // namespace kolvex
