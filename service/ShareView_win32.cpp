#include "service/ShareView_win32.h"

#include <windows.h>

#include <memory>

#include "common/Integers.h"
#include "common/Paths.h"
#include "common/win32/SystemText.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/TimeBox.h"
#include "common/win32/Utf.h"
#include "update/Settings_win32.h"
#include "update/ShareProbe_win32.h"

namespace kolvex {

namespace {

// Work that reads on a thread of its own: what it found, once it came to its end.
template <typename Result>
struct Reading final : BoundedWork {
  using Read = Result (*)(const std::string&);
  Reading(Read read, std::string path, DWORD limitMs) : BoundedWork(limitMs), read(read), path(std::move(path)) {}
  void Run(RequestWatch& watch) override {
    result = watch.Ask([this] { return read(path); });
  }
  const Read read;
  const std::string path;
  Result result{};
};

// What read gives for path, within limitMs; nothing when it took longer
// (the work then belongs to its thread, which ends when the system answers).
template <typename Result>
std::optional<Result> ReadWithin(Result (*read)(const std::string&), const std::string& path, DWORD limitMs) {
  auto work = std::make_unique<Reading<Result>>(read, path, limitMs ? limitMs : INFINITE);
  if (!RunBounded(*work)) {
    work.release();
    return std::nullopt;
  }
  return std::move(work->result);
}

Settings SettingsAt(const std::string& path) { return ReadSettings(path); }

// The files in dir (not its folders), or the system's error code (negative).
int64_t FilesIn(const std::string& dir) {
  WIN32_FIND_DATAW found{};
  const UniqueFind find(FindFirstFileW(WideLongPath(JoinPath(dir, "*")).c_str(), &found));
  if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : -static_cast<int64_t>(GetLastError());
  int64_t files = 0;
  do files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
  while (FindNextFileW(find.get(), &found));
  return files;
}

}  // namespace

std::optional<Settings> ReadSettingsWithin(const std::string& path) {
  return ReadWithin(&SettingsAt, path, kShareTimeBoxMs);
}

std::string SettingsNotInTime() {
  return "plik baza.set nie dał się odczytać w ciągu " + FormatInteger(kShareTimeBoxMs / 1000) + " s";
}

ShareViewReply LookAtShare(const Settings& settings) {
  const std::string& dir = settings.sharedDir;
  const std::string notInTime =
      "Katalog wspólny " + dir + " nie odpowiedział usłudze w ciągu " + FormatInteger(settings.shareTimeBoxMs / 1000) + " s.";
  const std::optional<ShareReply> reply = AskShare(dir, settings.shareTimeBoxMs);
  if (!reply) return {false, notInTime};
  if (!reply->found) return {false, "Usługa nie widzi katalogu wspólnego " + dir + ": " + GetErrorReason(reply->error)};
  const std::optional<int64_t> files = ReadWithin(&FilesIn, dir, settings.shareTimeBoxMs);
  if (!files) return {false, notInTime};
  if (*files < 0)
    return {false, "Usługa nie może odczytać zawartości katalogu wspólnego " + dir + ": " +
                       GetErrorReason(static_cast<int32_t>(-*files))};
  return {true, "Usługa czyta katalog wspólny " + dir + " (plików: " + FormatInteger(*files) + ")."};
}

}  // namespace kolvex
