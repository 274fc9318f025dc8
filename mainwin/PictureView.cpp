#include "mainwin/PictureView.h"

#include "mainwin/Pictures.h"

#include <QPainter>

namespace mainwin {

PictureView::PictureView(const QString& name, const QSize& size, Look look, QWidget* parent)
    : QWidget(parent), m_name(name), m_size(size), m_look(look)
{
    resize(size);
}

QPixmap PictureView::shown() const
{
    if (m_pixmap.isNull()) {
        const QPixmap plain = picture(m_name, m_size);
        m_pixmap = m_look == Look::Greyed ? greyed(plain) : plain;
    }
    return m_pixmap;
}

void PictureView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, shown());
}

} // namespace mainwin
