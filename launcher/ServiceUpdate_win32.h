#pragma once
// A start of a per-machine installation (AKTUALIZACJA=usluga in baza.set):
// users may not write its folder, and the update service updates it at the
// start's asking. The start writes nothing there and runs nothing a reply
// names; it shows what needs the user afterwards, as in today's way.
#include <string>

#include "update/Installation.h"
#include "update/Settings.h"
#include "update/Update.h"
#include "update/UpdateOutcome.h"

namespace kolvex {

// The update as the service did it, or, when the service did not (not
// registered, stopped, disabled, squatted, refusing, silent for the share's
// time-box), ServiceUnavailable with why: the installed program starts as
// it is (without one, Failed says so). The "Aktualizacja" window shows the
// file the service copies when the copy lasts more than a second.
UpdateOutcome UpdateThroughService(const Installation& installation, const Settings& settings,
                                   UpdateProgress& progress, const std::string& programName);

}  // namespace kolvex
