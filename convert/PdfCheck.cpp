#include "convert/PdfCheck.h"

#include <QRegularExpression>

namespace convert {

bool isCompletePdf(qint64 size, const ByteReader& read)
{
    if (size < 32 || !read(0, 5).startsWith("%PDF-"))
        return false;
    // The trailer's last lines; writers may add blanks or line ends.
    const qint64 tailLength = qMin<qint64>(size, 1024);
    const QByteArray tail = read(size - tailLength, tailLength);
    static const QRegularExpression end(
        QStringLiteral("startxref[\\r\\n ]+(\\d{1,15})[\\r\\n ]+%%EOF[\\r\\n ]*$"));
    const QRegularExpressionMatch found = end.match(QString::fromLatin1(tail));
    if (!found.hasMatch())
        return false;
    const qint64 offset = found.captured(1).toLongLong();
    if (offset <= 0 || offset >= size)
        return false;
    const QByteArray at = read(offset, 32);
    static const QRegularExpression xrefStream(QStringLiteral("^\\d+\\s+\\d+\\s+obj\\b"));
    return at.startsWith("xref") || xrefStream.match(QString::fromLatin1(at)).hasMatch();
}

} // namespace convert
