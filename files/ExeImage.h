#pragma once
// Whether a program file holds all that its headers promise: a program
// whose copy broke off half-way has sections that reach past its end.
#include <cstddef>
#include <cstdint>
#include <span>

namespace kolvex {

// How much of the file's beginning IsCompleteExecutableImage needs at most:
// the headers of any real program lie well within it.
constexpr size_t kExecutableHeadBytes = 64 * 1024;

// How much of a file's beginning IsProgramStart reads.
constexpr size_t kProgramMarkSize = 2;

// Whether a file is a program Windows may run or load, whatever its name:
// it begins with "MZ", as every program and library (.exe, .dll, .ocx, .scr,
// ...) does. Nothing further of the headers is asked: a file the signature
// check must see may not escape it by damaging them.
bool IsProgramStart(std::span<const std::byte> head);

// head: the file's first bytes (all of them, or kExecutableHeadBytes);
// fileSize: the whole file's size. True when head holds sound DOS and PE
// headers and the headers and every section's data lie within the file.
// Reads nothing outside head, whatever the bytes say.
bool IsCompleteExecutableImage(std::span<const std::byte> head, uint64_t fileSize);

}  // namespace kolvex
