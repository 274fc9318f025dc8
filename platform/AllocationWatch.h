#pragma once
// Tells whether this process was refused memory. A program that links it
// takes over the C library's allocation entry points (and hands every call
// on), so a refusal anywhere in the process, libraries included, is seen.

namespace platform {

// True once an allocation of this process has failed.
bool allocationWasRefused();

} // namespace platform
