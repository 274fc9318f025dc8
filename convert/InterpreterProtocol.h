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
// A child can be started ahead of its job:
// loading the library is most of a short run's start-up. A run is: 'J', the
// child says 'R' and waits for 'X' (gsdll_init returns between the two);
// after 'E' it ends. A failed run (code < 0) shuts down by itself and ends
// after 'R'. The parent ends the child at any moment with SIGKILL to stop a
// run; a child whose channel closes ends too.

#include <cstddef>
#include <cstdint>
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

// The wire format, for every frame either way:
//
//   byte 0       the type (Frame above)
//   bytes 1-4    the payload's length, unsigned 32-bit, host order
//   bytes 5-     the payload, exactly that long
//
// Integers in a payload are 32-bit, host order, one after the other; the
// answer 'A' is its count n followed by the n bytes, all of it within the
// length. encode() and FrameDecoder are the only code that reads or writes
// this layout, on both sides of the channel.
constexpr size_t HeaderSize = 5;

// Frames longer than this are refused as a broken channel.
constexpr uint32_t MaxFrame = 16u << 20;

std::string encode(Frame type, const void* data, size_t size);
std::string encode(Frame type, int32_t a);
std::string encode(Frame type, int32_t a, int32_t b);
// The answer to 'I': the count, then that many bytes (none when n <= 0).
std::string encodeAnswer(int32_t n, const char* bytes);

struct Message
{
    Frame type = Output;
    std::string payload;

    // The payload's first and second integers, 0 where it is too short.
    int32_t first() const;
    int32_t second() const;
};

// Cuts a stream of bytes into frames, however the bytes arrive: a frame
// split over reads waits for its rest, several in one read come out one
// by one.
class FrameDecoder
{
public:
    enum class Next { Incomplete, Message, Broken };

    void append(const char* data, size_t size);
    // The next whole frame into `message`; Broken for a length over
    // MaxFrame, after which the stream is not read further.
    Next next(Message& message);
    // Bytes received but not yet taken as frames.
    size_t pending() const { return m_bytes.size() - m_read; }

private:
    std::string m_bytes;
    size_t m_read = 0; // bytes before this are taken
    bool m_broken = false;
};

// What the component returns besides the interpreter's own codes.
constexpr int32_t Stopped = -1001;     // ended on request
constexpr int32_t Crashed = -1002;     // the child died or could not start
constexpr int32_t OutOfMemory = -1003; // failed when its memory reached the limit

} // namespace interpreter

} // namespace convert
