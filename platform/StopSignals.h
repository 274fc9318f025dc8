#pragma once
// The requests to stop that a terminal program gets (Ctrl+C, a polite kill).

namespace platform {

// Calls handler with the signal's number on SIGINT and SIGTERM, from the
// signal's context: it may only do what is safe there.
void onStopSignals(void (*handler)(int signal));

} // namespace platform
