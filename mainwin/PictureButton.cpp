#include "mainwin/PictureButton.h"

#include <QGuiApplication>
#include <QWindow>

namespace mainwin {

PictureButton::PictureButton(const QString& name, const QString& pressedName,
                             const QString& pictureName, const QString& hint, QWidget* parent,
                             const QPoint& at)
    : PictureImage(pictureName, FaceSize, Look::Plain, true, parent),
      m_pressedFace(new PictureImage(pictureName, FaceSize, Look::Greyed, false, parent))
{
    setObjectName(name);
    m_pressedFace->setObjectName(pressedName);
    for (PictureImage* face : {static_cast<PictureImage*>(this), m_pressedFace}) {
        face->move(at);
        face->setToolTip(hint);
    }
    m_pressedFace->hide();

    connect(this, &PictureImage::pressed, this, [this] { MouseDown(); });
    connect(this, &PictureImage::moved, this, [this](const QPoint& pos) { MouseMove(pos); });
    connect(this, &PictureImage::released, this, [this] { showNormal(); });
    // Another window taking over ends a left-button hold; the button then
    // stays pressed, as when the system cancels the hold.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (focus != window()->windowHandle())
            cancelHold();
    });
    // The pressed face takes the left click that ends a latch.
    for (PictureImage* face : {static_cast<PictureImage*>(this), m_pressedFace})
        connect(face, &PictureImage::clicked, this, [this] {
            showNormal();
            emit activated();
        });
}

void PictureButton::showNormal()
{
    show();
    m_pressedFace->hide();
    m_pressFlag = false;
}

void PictureButton::MouseDown()
{
    m_pressedFace->show();
    hide();
    m_pressFlag = true;
}

void PictureButton::MouseMove(const QPoint& pos)
{
    if (!m_pressFlag)
        return;
    if (rect().contains(pos)) {
        m_pressedFace->show();
        hide();
    } else {
        show();
        m_pressedFace->hide();
    }
}

} // namespace mainwin
