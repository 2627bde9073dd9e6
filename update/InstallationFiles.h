#pragma once
// The names of the files an installation holds beside its program: what
// every part that reads, writes or protects the installation calls them.
#include <string_view>

namespace kolvex {

// The settings, beside Kolvex.exe.
inline constexpr std::string_view kSettingsFileName = "baza.set";

// The file in the installation directory whose holding is the turn at the
// update (see UpdateTurn in UpdateTurn_win32.h). Hidden, and passed by
// should [SKLADNIKI] ever list it, so that it is never taken for a component.
inline constexpr std::string_view kTurnFileName = "Kolvex.lock";

// The update log, in the launcher's directory.
inline constexpr std::string_view kUpdateLogName = "_updatefiles.LOG";

// Share files refused for their signature (RefusalMemory_win32.h), so that
// later starts do not copy them again until they change.
inline constexpr std::string_view kRefusalMemoryName = "Kolvex.odrzucone";

// The update service's program, which the per-machine way never lets the
// share replace.
inline constexpr std::string_view kServiceProgram = "KolvexUsluga.exe";

}  // namespace kolvex
