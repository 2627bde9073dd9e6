#include <windows.h>

#include "common/Paths.h"
#include "common/win32/SystemText.h"
#include "common/win32/Files.h"
#include "common/win32/TimeBox.h"
#include "common/win32/Utf.h"
#include "update/ShareProbe_win32.h"

namespace kolvex {

// Asked as a directory, with a separator at the end (a share's root too),
// as the update joins its paths: the look-up of its name is the call that
// waits for the network when the server does not answer.
std::optional<ShareReply> AskShare(const std::string& dir, uint32_t limitMs) {
  DWORD attributes = 0, error = 0;
  if (!FileAttributesWithin(Widen(LongPathForm(JoinPath(dir, ""))), limitMs ? limitMs : INFINITE, attributes, error))
    return std::nullopt;
  if (attributes == INVALID_FILE_ATTRIBUTES) return ShareReply{.error = error};
  return ShareReply{.found = true, .attributes = attributes};
}

std::optional<UpdateOutcome> OutcomeWithoutShare(const std::string& dir, uint32_t limitMs) {
  const std::optional<ShareReply> reply = AskShare(dir, limitMs);
  const std::optional<UpdateResult> without = ShareVerdict(reply);
  if (!without) return std::nullopt;
  return UpdateOutcome{.result = *without,
                       .reason = reply && !reply->found ? GetErrorReason(static_cast<int32_t>(reply->error)) : ""};
}

}  // namespace kolvex
