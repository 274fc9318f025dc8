#pragma once
// What the window's process and the interpreter's process say to each other.
//
// The interpreter runs in folivant-interpreter, a child process, so that a
// crash or a loop inside it never takes the window down. The child's
// standard input and output are one two-way socket; every message on it is a
// frame: one type byte, a 32-bit length (host order), then that many bytes.
//
//   child -> parent
//     'O' bytes         the interpreter wrote these (stdout or stderr)
//     'I' max, percent  the document wants at most `max` bytes of input;
//                       percent >= 0 is the progress at that moment. (The
//                       page prompt's read is answered by the child itself.)
//     'G' percent       progress, 0 to 99, at every page and while output comes
//     'P' index, pages  the source of that index made that many pages
//     'F' index         the run failed while the source of that index ran
//     'R' code          the run is over: 0, or the interpreter's error code
//     'E' code          the interpreter has shut down (after 'X')
//   parent -> child
//     'J' strings       the job, strings each ended by a zero byte: the
//                       folder to work in, the folder for temporary files,
//                       the memory limit in MiB (0: none), then the plan
//                       (RunPlan::toStrings)
//     'A' n, bytes      the answer to 'I': n bytes of input (n < 0: error)
//     'X'               shut the interpreter down: completes the output
//
// Integers are 32-bit, host order. A child can be started ahead of its job:
// loading the library is most of a short run's start-up. A run is: 'J', the
// child says 'R' and waits for 'X' (gsdll_init returns between the two);
// after 'E' it ends. A failed run (code < 0) shuts down by itself and ends
// after 'R'. The parent ends the child at any moment with SIGKILL to stop a
// run; a child whose channel closes ends too.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace convert {

namespace interpreter {

enum Frame : char {
    Output = 'O',
    Input = 'I',
    Progress = 'G',
    Pages = 'P',
    FailedSource = 'F',
    Result = 'R',
    Ended = 'E',
    Job = 'J',
    Answer = 'A',
    Exit = 'X',
};

constexpr size_t HeaderSize = 5;

// Frames longer than this are refused as a broken channel.
constexpr uint32_t MaxFrame = 16u << 20;

inline std::string frame(char type, const void* data, size_t size)
{
    std::string f(HeaderSize + size, '\0');
    f[0] = type;
    const uint32_t length = uint32_t(size);
    std::memcpy(&f[1], &length, 4);
    if (size > 0)
        std::memcpy(&f[HeaderSize], data, size);
    return f;
}

inline std::string intFrame(char type, int32_t a)
{
    return frame(type, &a, sizeof a);
}

inline std::string intFrame(char type, int32_t a, int32_t b)
{
    const int32_t both[2] = {a, b};
    return frame(type, both, sizeof both);
}

// What the component returns besides the interpreter's own codes.
constexpr int32_t Stopped = -1001;     // ended on request
constexpr int32_t Crashed = -1002;     // the child died or could not start
constexpr int32_t OutOfMemory = -1003; // failed when its memory reached the limit

} // namespace interpreter

} // namespace convert
