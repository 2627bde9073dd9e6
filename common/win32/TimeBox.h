#pragma once
// A look at the file system that may wait as long as the network lets it
// (the first touch of a shared directory whose server does not answer, a
// report folder on a dead share), made on a thread of its own so that its
// caller can stop waiting for it.
#include <windows.h>

#include <string>

namespace kolvex {

// Asks the system for path's attributes (GetFileAttributesW) and waits at
// most limitMs (INFINITE: as long as it takes) for the answer. True when it
// came in time: attributes then holds it, and error the system's error code
// when it is INVALID_FILE_ATTRIBUTES. False when it did not: the worker
// thread is left to end whenever the system lets it, and frees what it
// shares with the caller itself. Where no thread can be made, the system
// is asked here, whatever it takes. The worker touches no function-local
// static (Kolvex.exe initialises those without locks).
bool FileAttributesWithin(const std::wstring& path, DWORD limitMs, DWORD& attributes, DWORD& error);

}  // namespace kolvex
