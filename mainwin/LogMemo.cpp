#include "mainwin/LogMemo.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace mainwin {

namespace {
// How often a long run brings the view up to date.
constexpr qint64 ShowEveryMs = 100;
// Lines gathered during a run share a paragraph of the document, up to this
// many, separated by forced line breaks: a paragraph per line costs several
// times what the interpreter takes to print it, a long paragraph costs
// layout time whenever it is on screen.
constexpr int LinesPerParagraph = 64;

// A carriage return would start a new paragraph in the document and so
// split one output call over two lines; like a memo it shows nothing.
QString displayText(const QString& line)
{
    if (!line.contains(QLatin1Char('\r')))
        return line;
    QString shown = line;
    shown.remove(QLatin1Char('\r'));
    return shown;
}
} // namespace

LogMemo::LogMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The log only grows; an undo history of every line would cost memory
    // and time for nothing.
    setUndoRedoEnabled(false);
    // The interpreter can fall silent for long after a line: the line shows
    // all the same (a run keeps the window's events going).
    m_showLater = new QTimer(this);
    m_showLater->setSingleShot(true);
    m_showLater->setInterval(int(ShowEveryMs));
    connect(m_showLater, &QTimer::timeout, this, [this] {
        flush();
        m_sinceShown.restart();
    });
}

void LogMemo::appendLine(const QString& line)
{
    if (m_pendingLines > 0) {
        if (++m_linesInParagraph < LinesPerParagraph) {
            m_pending += QChar(QChar::LineSeparator);
        } else {
            m_pending += QLatin1Char('\n');
            m_linesInParagraph = 0;
        }
    }
    m_pending += displayText(line);
    ++m_pendingLines;
    if (m_batchDepth == 0) {
        flush();
    } else if (m_sinceShown.elapsed() >= ShowEveryMs) {
        flush();
        viewport()->repaint();
        verticalScrollBar()->repaint();
        m_sinceShown.restart();
    } else if (!m_showLater->isActive()) {
        m_showLater->start();
    }
}

void LogMemo::beginBatch()
{
    if (m_batchDepth++ == 0)
        m_sinceShown.start();
}

void LogMemo::endBatch()
{
    if (m_batchDepth > 0 && --m_batchDepth == 0)
        flush();
}

void LogMemo::flush()
{
    m_showLater->stop();
    if (m_pendingLines == 0)
        return;
    // One insertion for the whole batch: a single layout update instead of
    // one per line. The first line goes into the document's first block.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (m_lines > 0 || !document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(m_pending);
    cursor.endEditBlock();
    m_lines += m_pendingLines;
    m_pending.clear();
    m_pendingLines = 0;
    m_linesInParagraph = 0;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

int LogMemo::lineCount() const
{
    if (m_lines == 0 && document()->isEmpty())
        return 0;
    // Forced line breaks count as the lines they are.
    return int(toPlainText().count(QLatin1Char('\n'))) + 1;
}

} // namespace mainwin
