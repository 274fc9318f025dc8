#pragma once
// The error texts of the POSIX implementations: the `QString* error` of a
// platform function names what failed and the system's reason.

#include <QString>

#include <cerrno>
#include <cstring>

namespace platform {

// Sets `*error`, when asked for, to "`what`: reason" with errno's reason,
// leaves errno as it was and returns false.
inline bool failWithErrno(QString* error, const QString& what)
{
    const int code = errno;
    if (error)
        *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(code));
    errno = code;
    return false;
}

// The same with a reason of our own, where the system gave none.
inline bool failWith(QString* error, const QString& what, const QString& reason)
{
    if (error)
        *error = what + QStringLiteral(": ") + reason;
    return false;
}

} // namespace platform
