#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace kolvex {

// The system's test for an existing file: a directory of that name counts as missing.
bool FileExists(const std::string& path);

// Full path of the running program, as the system reports it (any length).
std::string ModuleFileName();

// The full path of a name relative to the current directory (the name
// unchanged when the system cannot make one).
std::string FullPathName(const std::string& path);

// The whole content of a file, read while others may go on reading and
// writing it; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces path by a file holding bytes in one step: written as partial
// first (removed again on failure), then renamed over path, so that a
// reader sees the old file or the new one, never half of one. False on any
// failure, the system's error kept for GetLastError.
bool ReplaceFileWhole(const std::string& path, const std::string& partial, std::string_view bytes);

// Whether path carries the mark of the web: the stream Zone.Identifier that
// a browser or mail program gives a file it saved, for which the shell warns
// before the file is started.
bool HasZoneMark(const std::string& path);

// The longest paths the plain form takes: a file's (MAX_PATH without the
// terminating zero), and a directory's to be created, which must leave room
// for an 8.3 name inside it.
inline constexpr size_t kPlainPathLimit = 259;
inline constexpr size_t kPlainDirectoryPathLimit = 247;

// The path in the form that lifts the system's path-length limit from the
// file functions (\\?\C:\... or \\?\UNC\server\...) when it is too long for
// the plain form; a path that fits comes back unchanged.
std::string LongPathForm(const std::string& path, size_t plainLimit = kPlainPathLimit);
// LongPathForm in UTF-16, for the W call.
std::wstring WideLongPath(const std::string& path);

}  // namespace kolvex
