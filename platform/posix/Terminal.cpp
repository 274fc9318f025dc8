#include "platform/Terminal.h"

#include <unistd.h>

namespace platform {

bool isTerminal(StandardStream stream)
{
    const int fd = stream == StandardStream::Input    ? STDIN_FILENO
                   : stream == StandardStream::Output ? STDOUT_FILENO
                                                      : STDERR_FILENO;
    return ::isatty(fd) == 1;
}

} // namespace platform
