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
// split a line in two; like a memo it shows nothing.
QString displayText(QStringView text)
{
    QString shown = text.toString();
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

void LogMemo::startLine()
{
    if (m_pendingParagraphs.empty()) {
        // The first line of a batch starts a paragraph of its own.
        m_pendingContinues = false;
        m_pendingParagraphs.push_back(1);
        m_linesInParagraph = 0;
    } else if (++m_linesInParagraph < LinesPerParagraph) {
        m_pending += QChar(QChar::LineSeparator);
        ++m_pendingParagraphs.back();
    } else {
        m_pending += QLatin1Char('\n');
        m_pendingParagraphs.push_back(1);
        m_linesInParagraph = 0;
    }
    m_lineOpen = true;
    ++m_lines;
}

void LogMemo::continueLine()
{
    if (!m_lineOpen) {
        startLine();
    } else if (m_pendingParagraphs.empty()) {
        // The open line is in the document already: the text goes on it.
        m_pendingContinues = true;
        m_pendingParagraphs.push_back(0);
        m_linesInParagraph = 0;
    }
}

void LogMemo::appendOutput(const QString& text)
{
    qsizetype at = 0;
    for (;;) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), at);
        const QStringView piece =
            QStringView(text).mid(at, feed < 0 ? text.size() - at : feed - at);
        if (!piece.isEmpty() || feed >= 0) {
            continueLine();
            m_pending += displayText(piece);
        }
        if (feed < 0)
            break;
        m_lineOpen = false;
        at = feed + 1;
    }
    shown();
}

void LogMemo::appendOutput(QByteArrayView bytes)
{
    appendOutput(QString(m_decoder.decode(bytes)));
}

void LogMemo::appendLine(const QString& line)
{
    m_lineOpen = false;
    startLine();
    m_pending += displayText(line);
    m_lineOpen = false;
    shown();
}

void LogMemo::shown()
{
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
    if (m_pendingParagraphs.empty())
        return;
    // One insertion for the whole batch: a single layout update instead of
    // one per line. The first line goes into the document's first block.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    const bool empty = m_paragraphLines.empty() && !m_hasNotice && document()->isEmpty();
    if (!m_pendingContinues && !empty)
        cursor.insertBlock();
    cursor.insertText(m_pending);
    cursor.endEditBlock();
    auto paragraph = m_pendingParagraphs.begin();
    if (m_pendingContinues && !m_paragraphLines.empty())
        m_paragraphLines.back() += *paragraph++;
    m_paragraphLines.insert(m_paragraphLines.end(), paragraph, m_pendingParagraphs.end());
    m_pending.clear();
    m_pendingParagraphs.clear();
    m_pendingContinues = false;
    if (m_lines - m_dropped > MaxLines)
        dropOldest();
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void LogMemo::dropOldest()
{
    // A tenth below the cap at a time, so the top is cut now and then, not
    // at every batch; the paragraph being written stays.
    const qint64 keep = MaxLines - MaxLines / 10;
    int paragraphs = 0;
    qint64 lines = 0;
    while (m_paragraphLines.size() > size_t(paragraphs + 1) && m_lines - m_dropped - lines > keep)
        lines += m_paragraphLines[size_t(paragraphs++)];
    if (paragraphs == 0)
        return;
    const int first = m_hasNotice ? 1 : 0;
    QTextCursor cut(document()->findBlockByNumber(first));
    cut.setPosition(document()->findBlockByNumber(first + paragraphs).position(),
                    QTextCursor::KeepAnchor);
    cut.beginEditBlock();
    cut.removeSelectedText();
    m_dropped += lines;
    m_paragraphLines.erase(m_paragraphLines.begin(), m_paragraphLines.begin() + paragraphs);
    // The first line says what is missing above it.
    const QString notice =
        QStringLiteral("[Les %1 lignes les plus anciennes ont été retirées du journal.]")
            .arg(m_dropped);
    QTextCursor top(document());
    if (m_hasNotice) {
        top.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        top.insertText(notice);
    } else {
        top.insertText(notice);
        top.insertBlock();
        m_hasNotice = true;
    }
    cut.endEditBlock();
}

int LogMemo::lineCount() const
{
    if (m_lines == 0 && document()->isEmpty())
        return 0;
    // Forced line breaks count as the lines they are.
    return int(toPlainText().count(QLatin1Char('\n'))) + 1;
}

} // namespace mainwin
