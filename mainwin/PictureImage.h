#pragma once
// One picture of a picture button. The normal picture reports press, move
// and release (a left press holds the mouse until its release, even while
// the picture is hidden; other buttons do not hold it); either picture
// reports a left click, ahead of the release; a double click is one click.

#include "mainwin/PictureView.h"

namespace mainwin {

class PictureImage : public PictureView
{
    Q_OBJECT
public:
    PictureImage(const QString& name, const QSize& size, Look look, bool reportsMouse,
                 QWidget* parent);

    // Drops a left-button hold without a release, as the system does when
    // another window takes the mouse away.
    void cancelHold();
    bool holdsMouse() const { return m_leftHeld; }

signals:
    void pressed(Qt::MouseButton button);
    void moved(const QPoint& pos);
    void released(Qt::MouseButton button);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_reportsMouse;
    bool m_leftHeld = false;
    // Cleared by the second press of a double click, whose release is no
    // click of its own.
    bool m_clickOnRelease = false;
};

} // namespace mainwin
