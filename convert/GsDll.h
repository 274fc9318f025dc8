#pragma once
// The interpreter component: a whole conversion in one call. The interpreter
// itself runs in a child process (InterpreterProcess), so that neither a
// crash nor a loop in it can take the caller down.
//
// One run is gsdll_setpdfmediarect (optional), gsdll_init, and gsdll_exit when
// gsdll_init returned 0. A failed gsdll_init has already released everything,
// so the next run works either way.
//
// The callback receives GsdllInputWanted when a document reads standard
// input (the answer is the number of bytes of the buffer to hand over; the
// buffer holds line feeds beforehand; the page prompt's read never comes
// here) and GsdllOutput for everything the interpreter writes to its
// standard output or error (the answer is the bytes taken).

#include <cstddef>
#include <cstdint>
#include <vector>

class QObject;

namespace convert {

using GsdllCallback = int32_t (*)(int32_t message, char* str, uint32_t count);

// The callback's message numbers.
enum GsdllMessage : int32_t {
    GsdllInputWanted = 1,
    GsdllOutput = 2,
};

// Hands `size` bytes to the callback as output, in a buffer of its own
// ended by a zero byte (`scratch`, reused); the callback's answer, or 0
// without a callback.
int32_t gsdllSendOutput(GsdllCallback callback, const char* bytes, size_t size,
                        std::vector<char>& scratch);

// Fixes the page size of every page of the next run to (x0,y0)-(x1,y1) in
// points; pages made for another size are scaled and centred. Only kind 1 is
// known. Returns 0, or a negative value when the rectangle is refused.
int32_t gsdll_setpdfmediarect(int32_t kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// The Title of the PDF that the next run writes when it merges several
// sources (UTF-8; null or "" leaves it to the interpreter). With one source
// the PDF keeps the source's own title.
void gsdll_setpdftitle(const char* title);

// Runs the interpreter on argv (argv[0] is the program-name slot) until it has
// finished. The vector is copied; nothing points into it afterwards. When hwnd
// is set, progress in per cent of the sources' bytes is sent to it as a
// WmUserEvent at least at every page, and 100 after a successful run.
// Returns 0 on success, the interpreter's (negative) error code, or one of
// GsdllStopped and GsdllCrashed; for a crash the callback has had a line
// that says what happened.
int32_t gsdll_init(GsdllCallback callback, QObject* hwnd, int32_t argc, char** argv);

// Shuts down the interpreter of a successful gsdll_init; this completes the
// output file. Returns 0, or the interpreter's error code.
int32_t gsdll_exit();

// Ends the run in progress; gsdll_init then returns GsdllStopped. Made while
// no run is in progress, it stops the next one at once. Safe from a signal
// handler.
void gsdll_stop();

// From now on the interpreter's process is started ahead of each run, so a
// run does not wait for the library to load. For programs that run more
// than once; `warmUp` also runs the library once meanwhile (best for a
// window, whose runs come seconds apart; not for runs one after another).
void gsdll_prepare(bool warmUp = true);

// From now on the interpreter's process may hold at most `mebibytes` MiB
// (2048 unless set; 0: no limit of ours). A document that needs more fails
// its run with GsdllOutOfMemory.
void gsdll_setmemorylimit(uint32_t mebibytes);
uint32_t gsdll_memorylimit();

constexpr int32_t GsdllStopped = -1001;
constexpr int32_t GsdllCrashed = -1002;
constexpr int32_t GsdllOutOfMemory = -1003;

// The pages that each source of the last gsdll_init made, in order; -1 where
// the run did not get that far.
std::vector<int> gsdll_sourcepages();
// The index of the source during which the last gsdll_init failed, or -1
// (success, or a failure outside every source).
int gsdll_failedsource();

} // namespace convert
