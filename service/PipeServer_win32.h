#pragma once
// The service's pipe: the one way to reach it. One instance of it stays
// open, listening, for as long as the service runs, so that no other program
// can take its name meanwhile; only the system and administrators may make
// instances of it; interactive users may connect, read and write; nobody
// over the network.
#include <windows.h>

#include <string>

#include "common/win32/Handles.h"
#include "service/RequestBoard.h"

namespace kolvex {

// The pipe's first instance: nothing when another program holds its name
// (the system's error kept).
UniqueFile FirstPipeInstance();
// Who holds the pipe's name, for the event log: the server process's id and
// its account, as far as the system tells.
std::string PipeHolder();

// Serves the pipe from its first instance on until stop is set, or until the
// board has been idle (no connection, no update) for idleMs while no
// installation is registered. The board must outlive the connections, which
// end on threads of their own.
void ServePipe(UniqueFile first, HANDLE stop, DWORD idleMs, RequestBoard& board);

}  // namespace kolvex
