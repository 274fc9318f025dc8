#pragma once
// What the program answers the interpreter's callback, apart from where the
// lines go: the window appends them to its log, the terminal tool prints them.

#include <QString>

#include <cstdint>
#include <functional>

namespace convert {

// Message 1 (standard input wanted): the buffer is left as it is, answer 1.
// Message 2 (output): the count bytes without their line feeds become one
// line, possibly empty, handed to addLine; answer count. Else: answer 0.
int32_t consoleAnswer(int32_t message, char* str, uint32_t count,
                      const std::function<void(const QString&)>& addLine);

// The line of one output call: every byte but line feed (10), carriage
// returns kept.
QString consoleLine(const char* str, uint32_t count);

} // namespace convert
