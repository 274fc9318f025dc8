#pragma once
// The design's answers to the interpreter's callback, apart from where the
// text goes. The window's log cuts the text into lines itself and the
// terminal tool prints it as it comes; both answer as below. Tests and the
// benchmarks take the lines from here.

#include <QString>

#include <cstdint>
#include <functional>

namespace convert {

// GsdllInputWanted: the buffer is left as it is (line feeds), answer 1.
// GsdllOutput: the count bytes without their line feeds become one line,
// possibly empty, handed to addLine (when set); answer count. Else: 0.
int32_t consoleAnswer(int32_t message, char* str, uint32_t count,
                      const std::function<void(const QString&)>& addLine);

// The line of one output call: every byte but line feed (10), carriage
// returns kept.
QString consoleLine(const char* str, uint32_t count);

} // namespace convert
