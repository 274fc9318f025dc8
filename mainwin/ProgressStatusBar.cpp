#include "mainwin/ProgressStatusBar.h"

#include <QPainter>

#include <algorithm>

namespace mainwin {

namespace {
// The right end of the bar for `percent` of the rectangle.
int32_t barEnd(const ProgressStatusBar::Rect& r, int32_t percent)
{
    const int64_t end = int64_t(r.left) + (int64_t(r.right) - r.left) * percent / 100;
    return int32_t(std::clamp<int64_t>(end, INT32_MIN, INT32_MAX));
}

void paintBar(QPainter& painter, const ProgressStatusBar::Rect& r, int32_t end)
{
    if (end <= r.left || r.bottom <= r.top)
        return;
    painter.fillRect(QRect(QPoint(r.left, r.top), QPoint(end - 1, r.bottom - 1)),
                     QColor(0, 0, 128));
}
} // namespace

ProgressStatusBar::ProgressStatusBar(QWidget* parent) : StatusBar(parent)
{
    connect(this, &StatusBar::drawPanel, this,
            [this](int, const QRect& rect) { StatusBar1DrawPanel(rect); });
}

void ProgressStatusBar::SetProStatus(int32_t value)
{
    if (value < m_progress) {
        // The bar shrinks: the old, longer one has to go.
        m_progress = value;
        repaint();
    } else {
        m_progress = value;
        SBarPaintMore();
    }
}

void ProgressStatusBar::StatusBar1DrawPanel(const QRect& rect)
{
    const Rect r{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    if (QPainter* painter = canvas())
        paintBar(*painter, r, barEnd(r, m_progress));
    m_progressRect = r;
}

void ProgressStatusBar::SBarPaintMore()
{
    const Rect r = m_progressRect;
    const int32_t end = qMin(barEnd(r, m_progress), r.right);
    if (end <= r.left)
        return;
    paintNow(QRect(QPoint(r.left, r.top), QPoint(end - 1, r.bottom - 1)),
             [r, end](QPainter& painter) { paintBar(painter, r, end); });
}

} // namespace mainwin
