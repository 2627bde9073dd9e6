#include "update/ServiceWayPaths.h"

namespace kolvex {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

char DriveLetterOf(std::string_view path) {
  const bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path.size() >= 3 && path[1] == ':' && IsSeparator(path[2]) ? path[0] : 0;
}

std::optional<std::string> ServiceWayPathFault(std::string_view key, std::string_view path, DriveKind drive) {
  const std::string named = std::string(key) + "=" + std::string(path);
  const std::string unc = ": podaj ścieżkę UNC (\\\\serwer\\udział\\folder)";
  const bool isUnc = path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
  if (isUnc) return std::nullopt;
  const char letter = DriveLetterOf(path);
  if (!letter)
    return named + " to ścieżka względna, liczona od folderu „Rozpocznij w” skrótu, którego usługa aktualizacji "
                   "nie zna" + unc;
  if (drive == DriveKind::Network)
    return named + " leży na dysku sieciowym " + std::string(1, letter) +
           ":, zmapowanym dla użytkownika: usługa aktualizacji (konto systemu) go nie widzi" + unc;
  if (drive == DriveKind::Missing)
    return named + ": dysku " + std::string(1, letter) +
           ": nie ma dla tego procesu (to zapewne dysk sieciowy zmapowany tylko dla użytkownika; usługa "
           "aktualizacji i wiersz polecenia administratora go nie widzą)" + unc;
  return std::nullopt;
}

}  // namespace kolvex
