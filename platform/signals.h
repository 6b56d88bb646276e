#pragma once
// SIGTERM, SIGINT and SIGHUP close the program the way Escape does. The
// handler only records the signal; the message loop (both applications) takes
// the request and delivers it as a close request to the main window. A second
// signal of the same kind ends the program at once, in case closing hangs.
namespace platform {

// Installs the handlers (the game's and the runner's start-up).
void CatchCloseSignals();

// True once, for the first close signal that arrived (the loops call it).
bool TakeCloseSignal();

}  // namespace platform
