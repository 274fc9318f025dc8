#pragma once
// The program's pictures, drawn from the vector images in its resources.

#include <QIcon>
#include <QPixmap>

namespace mainwin {

// The resource picture `name` ("go", "icon", ...) at `size`.
QPixmap picture(const QString& name, const QSize& size);
// The greyed twin of a picture, for the pressed look of a picture button.
QPixmap greyed(const QPixmap& pixmap);
// The program's icon in the usual sizes.
QIcon programIcon();

} // namespace mainwin
