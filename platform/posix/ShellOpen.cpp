#include "platform/ShellOpen.h"

#include <QProcess>
#include <QStandardPaths>

namespace platform {

void shellOpen(const QString& target)
{
    // Looked up on PATH at each call, so a different opener placed first on
    // PATH (tests record with one) takes effect at once.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return;
    // The opener takes a leading '-' for one of its options.
    const QString name =
        target.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + target : target;
    QProcess::startDetached(opener, {name});
}

} // namespace platform
