#include "update/ShareProbe.h"

#include <algorithm>

#include "common/Text.h"

namespace kolvex {

namespace {

constexpr uint32_t kLongestTimeBoxSeconds = 3600;
constexpr uint32_t kAttributeDirectory = 0x10;

// Windows error codes that say the directory is not there (values as the
// system gives them): file and path not found, drive not ready, network path
// and share name not found, a name or path the system cannot take.
constexpr uint32_t kNotThere[] = {2, 3, 15, 21, 53, 67, 123, 161};

}  // namespace

uint32_t ShareTimeBoxMs(std::string_view setting) {
  const std::string_view digits = Trim(setting);
  if (digits.empty() || !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
    return kShareTimeBoxMs;
  // Past the longest at the first digit that takes it there, long before
  // the number could wrap round; leading zeros count for nothing.
  uint32_t seconds = 0;
  for (const char c : digits) {
    seconds = seconds * 10 + static_cast<uint32_t>(c - '0');
    if (seconds > kLongestTimeBoxSeconds) return kShareTimeBoxMs;
  }
  return seconds * 1000;
}

std::optional<UpdateResult> ShareVerdict(const std::optional<ShareReply>& reply) {
  if (!reply) return UpdateResult::ShareNotAnswering;
  if (reply->found) {
    if (reply->attributes & kAttributeDirectory) return std::nullopt;
    return UpdateResult::ShareNotFound;  // a file of that name
  }
  const bool notThere = std::ranges::find(kNotThere, reply->error) != std::end(kNotThere);
  return notThere ? UpdateResult::ShareNotFound : UpdateResult::ShareRefused;
}

std::string ShareStoppedWarning() {
  return "Katalog wspólny przestał odpowiadać podczas aktualizacji.\r\rUruchomiono zainstalowaną wersję programu; "
         "nową zainstaluje jedno z następnych uruchomień.";
}

std::string ShareStoppedFailure(const std::string& programName) {
  return "Nie można zainstalować programu: " + programName +
         "\r\rKatalog wspólny przestał odpowiadać podczas aktualizacji. Spróbuj ponownie, gdy sieć będzie dostępna.";
}

}  // namespace kolvex
