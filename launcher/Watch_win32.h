#pragma once
// The watch on the first start of a newly taken version of a release in
// stages: a small process of its own (Kolvex.exe started again in a
// watching mode), so that the hand-off is not delayed and the launcher
// ends as it always did, with its own exit code.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// The first argument of the watching mode: '*' is in no program's name.
inline constexpr std::string_view kWatchArgument = "*straz";

// How long a start is watched: a program that ends later ended as it meant to.
inline constexpr DWORD kWatchMs = 20000;

// Starts the watch on program (the process the hand-off started, its
// handle passed on by inheritance) for version; nothing shown, nothing
// waited for, and any failure silent.
void StartWatch(HANDLE program, const std::string& version) noexcept;

// The watching mode (arguments: the launcher, kWatchArgument, the program's
// and the launcher's inherited handles, the version): when the program ends
// within kWatchMs with an exception code, the failure is recorded once the
// launcher has ended (its start report first), in the report folder of the
// installation's baza.set. Nothing escapes it: its exit code is always 0.
void RunWatch(const std::vector<std::string>& arguments) noexcept;

}  // namespace kolvex
