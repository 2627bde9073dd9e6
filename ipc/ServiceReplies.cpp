#include "ipc/ServiceReplies.h"

#include "common/Paths.h"

namespace kolvex {

void ServiceReplies::Read(const ServiceReply& reply, std::uint64_t nowMs) {
  if (const auto* copying = std::get_if<ProgressReply>(&reply)) {
    Copying(copying->caption, nowMs);
  } else if (const auto* updated = std::get_if<UpdatedReply>(&reply)) {
    ComponentUpdate update = updated->update;
    update.src = JoinPath(installation_.sharedDir, update.name);
    update.dst = JoinPath(installation_.exeDir, update.name);
    outcome_.updates.push_back(std::move(update));
  } else if (const auto* skipped = std::get_if<SkippedReply>(&reply)) {
    outcome_.refused.push_back(skipped->skipped);
  } else if (const auto* waiting = std::get_if<WaitingReply>(&reply)) {
    outcome_.waiting.push_back(waiting->name);
  } else if (const auto* finished = std::get_if<FinishedReply>(&reply)) {
    outcome_.result = finished->result;
    outcome_.failure = finished->failure;
    // Where the update went ahead or had nothing to do, the reason carries
    // what the release in stages decided ("1.0.1.4: czeka ..."), or why the
    // log was not written.
    // A release line begins with its version ("?" when none could be read);
    // the log's failure with the system's words.
    const char first = finished->reason.empty() ? ' ' : finished->reason.front();
    const bool went = finished->result == UpdateResult::NothingToDo || finished->result == UpdateResult::Updated;
    const bool release = went && ((first >= '0' && first <= '9') || first == '?');
    (release ? outcome_.release : outcome_.reason) = finished->reason;
  } else if (const auto* refused = std::get_if<RefusedReply>(&reply)) {
    refusal_ = refused->reason;
  }
}

// A caption begins a copy; an empty one (the service saying it is at work)
// lets the time pass. Once shown, the window follows each copy at once.
void ServiceReplies::Copying(const std::string& caption, std::uint64_t nowMs) {
  if (!caption.empty() && caption != caption_) {
    caption_ = caption;
    since_ = nowMs;
    if (shown_) progress_.Refreshing(caption_, caption_);
  }
  if (!shown_ && !caption_.empty() && nowMs - since_ >= kShowServiceCopyAfterMs) {
    progress_.Refreshing(caption_, caption_);
    shown_ = true;
  }
}

}  // namespace kolvex
