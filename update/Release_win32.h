#pragma once
// The release in stages on Windows: what a start reads of it on the share
// and in the report folder, and what a failed first start leaves there.
#include <cstdint>
#include <optional>
#include <string>

#include "update/Installation.h"
#include "update/Release.h"

namespace kolvex {

// The decision for this computer: wydanie.set beside the program on the
// share, the share's and the installed program's versions, and the markers
// of the governed version in reportDir (one listing), every request to the
// share and the report folder bounded by limitMs (0: the system's own
// waits), on a thread of its own. False when one of them did not answer in
// time: the start then keeps what it has.
bool DecideReleaseHere(const Installation& installation, const std::string& reportDir, uint32_t limitMs,
                       ReleaseDecision& decision);


}  // namespace kolvex
