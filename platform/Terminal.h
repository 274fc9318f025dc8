#pragma once
// Whether a standard stream of this process is a terminal.

namespace platform {

enum class StandardStream { Input, Output, Error };

bool isTerminal(StandardStream stream);

} // namespace platform
