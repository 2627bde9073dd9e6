#pragma once
// One start's request, from its first byte to the last reply: read within
// its deadline, refused with a reason when it cannot be carried out, and
// answered on that start's connection only.
#include "common/win32/Handles.h"
#include "service/RequestBoard.h"

namespace kolvex {

// The most connections and workers one session keeps at once.
inline constexpr std::size_t kMostConnectionsPerSession = 8;

// Serves the connected pipe instance, then closes it. Nothing escapes.
void ServeConnection(UniqueFile pipe, RequestBoard& board) noexcept;

}  // namespace kolvex
