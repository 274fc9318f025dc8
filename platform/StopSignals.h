#pragma once
// The requests to stop that a program gets (Ctrl+C, a polite kill, its
// terminal closed), and the signals of a crash.

#include <cstddef>
#include <functional>

class QObject;

namespace platform {

// Calls handler with the signal's number on SIGINT, SIGTERM and SIGHUP, from the
// signal's context: it may only do what is safe there. A signal ignored
// since the program started (nohup) stays ignored.
void onStopSignals(void (*handler)(int signal));
// The same signals, brought to `context`'s event loop: `handler` is called
// there with the signal's number, where it may do anything, as long as
// `context` lives. Replaces what onStopSignals set.
// False when that cannot be set up: the signals keep their default action.
bool whenStopRequested(QObject* context, std::function<void(int signal)> handler);

// Calls handler once, on a stack of its own (a stack run out can still be
// handled), when the process crashes: SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT. The handler must end with endBySignal(signal).
void onCrashSignals(void (*handler)(int signal));
// Raises the signal again with its default action, which ends the process
// as it would have ended without a handler. Safe in a signal handler.
void endBySignal(int signal);
// Writes the bytes to the descriptor as far as it takes them. Safe in a
// signal handler.
void writeNow(int descriptor, const char* data, size_t size);

} // namespace platform
