#pragma once
// The service's pipe: the one way to reach it. One instance of it stays
// open, listening, for as long as the service runs, so that no other program
// can take its name meanwhile; only the system and administrators may make
// instances of it; interactive users may connect, read and write; nobody
// over the network.
#include <windows.h>

#include "service/RequestBoard.h"

namespace kolvex {

// Serves the pipe until stop is set, or until the board has been idle (no
// connection, no update) for idleMs. False when the pipe cannot be made
// (another program holds its name), the system's error kept. The board must
// outlive the connections, which end on threads of their own.
bool ServePipe(HANDLE stop, DWORD idleMs, RequestBoard& board);

}  // namespace kolvex
