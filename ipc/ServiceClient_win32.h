#pragma once
// A start's side of the update service, and kolvexadm's: the service
// started when it is not running, its pipe reached with identification-level
// security only and checked to be the service's own, one request sent and
// the replies read as they come, the thread's window messages handled while
// it waits for them.
#include <functional>
#include <optional>
#include <string>

#include "ipc/ServiceProtocol.h"

namespace kolvex {

// The text a start reports when the service stays silent.
inline constexpr std::string_view kServiceSilent = "usługa aktualizacji nie odpowiada";

// Sends the request and hands each reply to onReply, the last one (Finished,
// Refused or ShareView) included. Nothing when the last one came; otherwise
// why not: kServiceSilent when the service did not start, connect or say
// anything within limitMs (the service says something every second while it
// works), or the system's text (no such service, disabled, no right) or
// what went wrong with the pipe (another program's, a reply not understood).
std::optional<std::string> AskService(const ServiceRequest& request, std::uint32_t limitMs,
                                      const std::function<void(const ServiceReply&)>& onReply);

}  // namespace kolvex
