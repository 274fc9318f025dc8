#pragma once
// Whether a PDF was written to its end. The interpreter's shut-down can
// report success over a PDF that a full disk cut short, so a run's success
// is decided by the file itself.

#include <QByteArray>

#include <functional>

namespace convert {

// Reads `length` bytes at `offset` of the file (fewer at its end).
using ByteReader = std::function<QByteArray(qint64 offset, qint64 length)>;

// True when the file of `size` bytes begins with "%PDF-", ends with
// "startxref", an offset and "%%EOF", and that offset is where its last
// cross-reference section ("xref") or stream ("N G obj") begins.
bool isCompletePdf(qint64 size, const ByteReader& read);

} // namespace convert
