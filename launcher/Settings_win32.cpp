#include "launcher/Settings.h"
#include "messages/komunikaty.h"

namespace kolvex {

void WarnAboutRefusedEntries(const std::vector<RefusedEntry>& refused) {
  if (refused.empty()) return;
  ShowMessageWindow(RefusedEntriesMessage(refused),
                    {.buttons = {TMessageButton::OK}, .kind = TMessageKind::Warning});
}

}  // namespace kolvex
