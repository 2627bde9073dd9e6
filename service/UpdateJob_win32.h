#pragma once
// The update a start asks the service for: the registered installation, in
// its turn, checked first, then updated by the very update a start runs in
// today's way, with the service's own sinks; what it came to goes to every
// start that asked, as replies.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <optional>

#include "ipc/ServiceProtocol.h"
#include "service/RequestBoard.h"
#include "update/Settings.h"

namespace kolvex {

// The longest a worker works on one request: then it releases the
// installation's turn, and its starts are told (WorkTimeUp).
inline constexpr auto kWorkMost = std::chrono::minutes(10);
std::string WorkTimeUp();

// Why the service will not update program in the installation registered
// at path with the identity folder: its folders or its baza.set may be
// changed by others, baza.set does not choose the service, or the program
// is neither installed there as a plain file nor listed in [SKLADNIKI].
// Nothing when it will; settings then holds what baza.set says.
std::optional<std::string> UpdateRefusal(const std::string& path, const FolderIdentity& folder,
                                         const std::string& program, Settings& settings);

// The last of UpdateRefusal's checks, for baza.set's settings: the program
// is neither installed as a plain file nor listed, or keeps the
// installation in the service's hands.
std::optional<std::string> ProgramRefusal(const std::string& path, const std::string& program,
                                          const Settings& settings);

// Why the service will not read the files of the installation (program,
// when given, and the listed ones) from its shared directory: a link below
// it, or a folder of this computer that others may change (unless the
// installation takes only signed files). Nothing when it will.
std::optional<std::string> ShareRefusal(const Settings& settings, const std::string& program);

// Updates the installation registered at path for the request, the replies
// added to replies as they come, the last one last; the board is told the
// update for key is done before that, and the session's worker leaves it
// after. Nothing escapes: a failure is a reply too.
void RunUpdate(const UpdateKey& key, const ServiceRequest& request, const std::string& path, std::uint32_t session,
               RequestBoard& board, const std::shared_ptr<SharedReplies>& replies) noexcept;

}  // namespace kolvex
