#pragma once
// The update a start asks the service for: the registered installation, in
// its turn, checked first, then updated by the very update a start runs in
// today's way, with the service's own sinks; what it came to goes to every
// start that asked, as replies.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "ipc/ServiceProtocol.h"
#include "service/RequestBoard.h"

namespace kolvex {

// The longest a worker works on one request: then it releases the
// installation's turn, and its starts are told (WorkTimeUp).
inline constexpr auto kWorkMost = std::chrono::minutes(10);
std::string WorkTimeUp();

// Updates the installation registered at path for the request, the replies
// added to replies as they come, the last one last; the board is told the
// update for key is done before that, and the session's worker leaves it
// after. Nothing escapes: a failure is a reply too.
void RunUpdate(const UpdateKey& key, const ServiceRequest& request, const std::string& path, std::uint32_t session,
               RequestBoard& board, const std::shared_ptr<SharedReplies>& replies) noexcept;

}  // namespace kolvex
