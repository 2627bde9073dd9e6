#pragma once
// The update of an installation run on a thread of its own, while the
// start's thread keeps the progress window answering and showing how far
// each copy is, and every request to the shared directory bounded: a share
// that drops half-way (Wi-Fi, a VPN) would otherwise hold the start, and
// the turn, for the network's time-outs at every request.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "update/Components.h"
#include "update/Installation.h"
#include "launcher/ProgressWindow_win32.h"
#include "update/UpdateOutcome.h"

namespace kolvex {

// UpdateInstallation with the system's copy, file facts and signatures and
// the update log, the leftovers of ended runs removed first, its progress
// shown in window. Nothing when a request to the shared directory lasted
// longer than limitMs without a sign of life (0: the system's own waits):
// the update is given up on where it stands, and no copy it had not finished
// takes the place of an installed file.
std::optional<UpdateOutcome> UpdateAside(const Installation& installation, const std::vector<Component>& components,
                                         ProgressWindow& window, uint32_t limitMs);

// InstallationDiffers, with its requests bounded the same way: nothing when
// the shared directory stopped answering.
std::optional<bool> InstallationDiffersAside(const Installation& installation,
                                             const std::vector<Component>& components, uint32_t limitMs);

}  // namespace kolvex
