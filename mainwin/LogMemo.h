#pragma once
// The interpreter's log. Its output is cut into lines at its own line feeds;
// a line without its line feed yet is shown as it stands and continued when
// the rest comes. During a run lines are gathered and put into the document
// in batches, with the view brought up to date a few times a second, since
// the event loop is not serviced then. Only the newest MaxLines lines are
// kept: a document that prints without end cannot fill the memory.

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTimer>

#include <deque>
#include <vector>

namespace mainwin {

class LogMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    // About 11 MB of document for lines of 45 characters; a million such
    // lines took 100 MB.
    static constexpr qint64 MaxLines = 100000;

    explicit LogMemo(QWidget* parent);

    // Adds what the interpreter wrote: each line feed ends a line. Bytes
    // are UTF-8, and a character split between two calls is put together.
    void appendOutput(const QString& text);
    void appendOutput(QByteArrayView bytes);
    // Adds `line` as one new line of its own at the end.
    void appendLine(const QString& line);
    // Between beginBatch and endBatch new lines may wait in a buffer.
    void beginBatch();
    void endBatch();
    // Puts waiting lines into the document.
    void flush();
    int lineCount() const;
    // Lines taken out at the top to keep the log within MaxLines.
    qint64 droppedLines() const { return m_dropped; }

private:
    void startLine();
    void continueLine();
    void shown();
    void dropOldest();

    QStringDecoder m_decoder{QStringDecoder::Utf8};
    QString m_pending;
    // Lines of each paragraph that the pending text makes; the first adds
    // to the document's last paragraph when the pending text continues it.
    std::vector<int> m_pendingParagraphs;
    bool m_pendingContinues = false;
    bool m_lineOpen = false; // the last line has not had its line feed
    qint64 m_lines = 0;      // lines added so far, empty ones included
    qint64 m_dropped = 0;
    std::deque<int> m_paragraphLines; // of the document, the notice apart
    bool m_hasNotice = false;
    int m_linesInParagraph = 0;
    int m_batchDepth = 0;
    QElapsedTimer m_sinceShown;
    // Shows lines that wait in a batch when no further line comes to show them.
    QTimer* m_showLater = nullptr;
};

} // namespace mainwin
