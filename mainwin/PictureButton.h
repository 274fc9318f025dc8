#pragma once
// A button made of two pictures: its normal face, which is this widget, and
// a greyed pressed face beside it in the same parent. A left press shows the
// pressed face while the pointer stays over the button; a right or middle
// press leaves it shown (the button latches) until a left click on it. A
// left click on either face returns the button to normal and reports
// `activated`.

#include "mainwin/PictureImage.h"

namespace mainwin {

class PictureButton : public PictureImage
{
    Q_OBJECT
public:
    // `name` is this face's object name and `pressedName` the pressed
    // face's; both show `pictureName` at `at` with the tool tip `hint`.
    PictureButton(const QString& name, const QString& pressedName, const QString& pictureName,
                  const QString& hint, QWidget* parent, const QPoint& at);

    static constexpr QSize FaceSize{101, 30};

    PictureImage* pressedFace() const { return m_pressedFace; }
    // Shows the normal face and forgets any press.
    void showNormal();

signals:
    void activated();

private:
    void MouseDown();
    void MouseMove(const QPoint& pos);

    PictureImage* m_pressedFace;
    bool m_pressFlag = false;
};

} // namespace mainwin
