#include "launcher/ServiceUpdate_win32.h"

#include <windows.h>

#include "common/Paths.h"
#include "common/win32/SystemText.h"
#include "common/win32/Files.h"
#include "launcher/Components.h"
#include "launcher/FolderIdentity_win32.h"
#include "launcher/ServiceClient_win32.h"
#include "launcher/ShareProbe.h"

namespace kolvex {

namespace {

// The service's copy shows in the window once it has lasted this long.
constexpr DWORD kShowAfterMs = 1000;

std::string ServiceUnavailableMessage(const std::string& programName, const std::string& reason) {
  return "Nie można zainstalować programu: " + programName +
         "\r\rUsługa aktualizacji nie zaktualizowała instalacji: " + reason + "\r\rPowiadom administratora.";
}

// The installed program starts as it is; without one there is nothing to start.
UpdateOutcome Unavailable(const Installation& installation, const std::string& programName, std::string reason) {
  if (!FileExists(JoinPath(installation.exeDir, installation.targetName)))
    return {.result = UpdateResult::Failed, .failure = ServiceUnavailableMessage(programName, reason)};
  return {.result = UpdateResult::ServiceUnavailable, .reason = std::move(reason)};
}

// What the replies make of the outcome, and when the window shows.
class ReplyReader {
 public:
  ReplyReader(const Installation& installation, UpdateProgress& progress)
      : installation_(installation), progress_(progress) {}

  void Read(const ServiceReply& reply) {
    if (const auto* copying = std::get_if<ProgressReply>(&reply)) {
      Copying(copying->caption);
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
      outcome_.reason = finished->reason;
    } else if (const auto* refused = std::get_if<RefusedReply>(&reply)) {
      refusal_ = refused->reason;
    }
  }

  const UpdateOutcome& Outcome() const { return outcome_; }
  const std::optional<std::string>& Refusal() const { return refusal_; }

 private:
  // A caption begins a copy; an empty one (the service saying it is at
  // work) lets the time pass. The window shows the copy that lasts.
  void Copying(const std::string& caption) {
    if (!caption.empty() && caption != caption_) {
      caption_ = caption;
      since_ = GetTickCount();
      if (shown_) progress_.Refreshing(caption_, caption_);
    }
    if (!shown_ && !caption_.empty() && GetTickCount() - since_ >= kShowAfterMs) {
      progress_.Refreshing(caption_, caption_);
      shown_ = true;
    }
  }

  const Installation& installation_;
  UpdateProgress& progress_;
  UpdateOutcome outcome_;
  std::optional<std::string> refusal_;
  std::string caption_;
  DWORD since_ = 0;
  bool shown_ = false;
};

}  // namespace

UpdateOutcome UpdateThroughService(const Installation& installation, const Settings& settings,
                                   UpdateProgress& progress, const std::string& programName) {
  if (!IsComponentName(installation.targetName))
    return Unavailable(installation, programName,
                       "nazwa programu " + installation.targetName + " nie wskazuje pliku w katalogu instalacji");
  const std::optional<FolderIdentity> folder = FolderIdentityAt(installation.exeDir);
  if (!folder) return Unavailable(installation, programName, GetErrorReason(static_cast<int32_t>(GetLastError())));
  ReplyReader reader(installation, progress);
  const std::optional<std::string> failure =
      AskService({.kind = RequestKind::Update, .folder = *folder, .programName = installation.targetName},
                 settings.shareTimeBoxMs ? settings.shareTimeBoxMs : kShareTimeBoxMs,
                 [&reader](const ServiceReply& reply) { reader.Read(reply); });
  if (failure) return Unavailable(installation, programName, *failure);
  if (reader.Refusal()) return Unavailable(installation, programName, *reader.Refusal());
  return reader.Outcome();
}

}  // namespace kolvex
