#include "launcher/ServiceUpdate_win32.h"

#include <windows.h>

#include "common/Paths.h"
#include "common/win32/SystemText.h"
#include "common/win32/Files.h"
#include "update/Components.h"
#include "ipc/FolderIdentity_win32.h"
#include "ipc/ServiceClient_win32.h"
#include "ipc/ServiceReplies.h"
#include "update/ShareProbe.h"

namespace kolvex {

namespace {

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

}  // namespace

UpdateOutcome UpdateThroughService(const Installation& installation, const Settings& settings,
                                   UpdateProgress& progress, const std::string& programName) {
  if (!IsComponentName(installation.targetName))
    return Unavailable(installation, programName,
                       "nazwa programu " + installation.targetName + " nie wskazuje pliku w katalogu instalacji");
  const std::optional<FolderIdentity> folder = FolderIdentityAt(installation.exeDir);
  if (!folder) return Unavailable(installation, programName, GetErrorReason(static_cast<int32_t>(GetLastError())));
  ServiceReplies reader(installation, progress);
  const DWORD asked = GetTickCount();
  const std::optional<std::string> failure =
      AskService({.kind = RequestKind::Update, .folder = *folder, .programName = installation.targetName},
                 settings.shareTimeBoxMs ? settings.shareTimeBoxMs : kShareTimeBoxMs,
                 [&](const ServiceReply& reply) { reader.Read(reply, GetTickCount() - asked); });
  if (failure) return Unavailable(installation, programName, *failure);
  if (reader.Refusal()) return Unavailable(installation, programName, *reader.Refusal());
  return reader.Outcome();
}

}  // namespace kolvex
