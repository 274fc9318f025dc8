#include "convert/ConsoleOutput.h"

#include "convert/GsDll.h"

#include <QByteArray>

namespace convert {

QString consoleLine(const char* str, uint32_t count)
{
    QByteArray bytes;
    bytes.reserve(int(count));
    for (uint32_t i = 0; i < count; ++i) {
        if (str[i] != '\n')
            bytes.append(str[i]);
    }
    return QString::fromUtf8(bytes);
}

int32_t consoleAnswer(int32_t message, char* str, uint32_t count,
                      const std::function<void(const QString&)>& addLine)
{
    if (message == GsdllInputWanted)
        return 1;
    if (message != GsdllOutput)
        return 0;
    if (addLine)
        addLine(consoleLine(str, count));
    return int32_t(count);
}

} // namespace convert
