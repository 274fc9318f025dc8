#include "mainwin/PictureImage.h"

#include <QMouseEvent>

namespace mainwin {

PictureImage::PictureImage(const QString& name, const QSize& size, Look look, bool reportsMouse,
                           QWidget* parent)
    : PictureView(name, size, look, parent), m_reportsMouse(reportsMouse)
{
    setCursor(Qt::PointingHandCursor);
}

void PictureImage::cancelHold()
{
    if (!m_leftHeld)
        return;
    m_leftHeld = false;
    if (mouseGrabber() == this)
        releaseMouse();
}

void PictureImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton) {
        m_leftHeld = true;
        m_clickOnRelease = true;
        // The press handler hides this picture, which ends Qt's implicit
        // grab; an explicit one keeps moves and the release coming here.
        if (m_reportsMouse)
            grabMouse();
    }
    if (m_reportsMouse)
        emit pressed(event->button());
}

void PictureImage::mouseMoveEvent(QMouseEvent* event)
{
    // Only a left hold follows the pointer; after another button's press the
    // moves belong to whatever is shown under the pointer.
    if (m_reportsMouse && m_leftHeld)
        emit moved(event->position().toPoint());
}

void PictureImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_leftHeld)
        return;
    m_leftHeld = false;
    // Let go first: the click may open a modal box that needs the mouse.
    if (mouseGrabber() == this)
        releaseMouse();
    const bool over = rect().contains(event->position().toPoint());
    if (over && m_clickOnRelease)
        emit clicked();
    if (m_reportsMouse)
        emit released(event->button());
}

void PictureImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press acts as a press, but a double click on the start
    // button must not run the job twice.
    mousePressEvent(event);
    m_clickOnRelease = false;
}

} // namespace mainwin
