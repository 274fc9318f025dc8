#include "mainwin/StatusBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QStyle>
#include <qdrawutil.h>

namespace mainwin {

namespace {
constexpr int GripWidth = 18;
constexpr int PanelGap = 2;
} // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent), m_grip(new QSizeGrip(this))
{
    // Everything is painted here, so a paint over the bar does not wipe it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedHeight(19);
    m_grip->resize(GripWidth, height());
}

QRect StatusBar::panelRect() const
{
    return QRect(QPoint(FirstPanelWidth + PanelGap, 3),
                 QPoint(width() - GripWidth - 2 * PanelGap - 1, height() - 2));
}

void StatusBar::paintNow(const QRect& region, const std::function<void(QPainter&)>& paint)
{
    if (region.isEmpty() || !isVisible())
        return;
    m_paintNow = paint;
    repaint(region);
    m_paintNow = nullptr;
}

void StatusBar::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    m_canvas = &painter;
    if (m_paintNow) {
        m_paintNow(painter);
        m_canvas = nullptr;
        return;
    }
    painter.fillRect(event->rect(), palette().window());
    const QRect first(0, 2, FirstPanelWidth, height() - 2);
    const QRect bar = panelRect();
    qDrawShadePanel(&painter, first.adjusted(0, 0, -PanelGap, 0), palette(), true, 1);
    qDrawShadePanel(&painter, bar.adjusted(-1, -1, 1, 1), palette(), true, 1);
    painter.setClipRect(bar);
    emit drawPanel(1, bar);
    m_canvas = nullptr;
}

void StatusBar::resizeEvent(QResizeEvent*)
{
    m_grip->setGeometry(width() - GripWidth, 0, GripWidth, height());
}

} // namespace mainwin
