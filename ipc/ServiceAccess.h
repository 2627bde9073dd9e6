#pragma once
// Who may ask the update service, as the service's pipe and its entry with
// the service manager let them: every process of a user who logged on
// (authenticated users: a desktop, a remote desktop session, a scheduled task,
// another service), nobody over the network. Users may talk to the pipe and
// start the service; only the system and administrators may do more.
#include <cstdint>
#include <string>

namespace kolvex {

// What a user's process may do with the pipe: read, write, read its
// attributes, wait on it. Not FILE_CREATE_PIPE_INSTANCE (FILE_APPEND_DATA,
// part of the generic write): no user may add an instance of their own for
// the next start to talk to. A start asks for exactly these.
inline constexpr std::uint32_t kPipeUserRights = 0x0001 | 0x0002 | 0x0080 | 0x00100000;
// What a user may do with the service: ask its configuration and its state,
// start it (SERVICE_QUERY_CONFIG, SERVICE_QUERY_STATUS, SERVICE_START).
inline constexpr std::uint32_t kServiceUserRights = 0x0001 | 0x0004 | 0x0010;

// The pipe's and the service's access lists, in the system's security
// descriptor language (SDDL): network logons denied first, the system and
// administrators everything, authenticated users the rights above.
std::string PipeAccessText();
std::string ServiceAccessText();

}  // namespace kolvex
