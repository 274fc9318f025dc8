#pragma once
// The interpreter's log: one line per output call. During a run lines are
// gathered and put into the document in batches, with the view brought up
// to date a few times a second, since the event loop is not serviced then.

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

namespace mainwin {

class LogMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit LogMemo(QWidget* parent);

    // Adds `line` as one new line at the end.
    void appendLine(const QString& line);
    // Between beginBatch and endBatch new lines may wait in a buffer.
    void beginBatch();
    void endBatch();
    // Puts waiting lines into the document.
    void flush();
    int lineCount() const;

private:
    QString m_pending;
    int m_pendingLines = 0;
    int m_lines = 0; // lines added so far, empty ones included
    int m_linesInParagraph = 0;
    int m_batchDepth = 0;
    QElapsedTimer m_sinceShown;
    // Shows lines that wait in a batch when no further line comes to show them.
    QTimer* m_showLater = nullptr;
};

} // namespace mainwin
