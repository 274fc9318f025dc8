#pragma once
// The program's pictures, drawn from the vector images in its resources.

#include <QIcon>
#include <QPixmap>

namespace mainwin {

// The resource picture `name` ("go", "icon", ...) at `size`.
QPixmap picture(const QString& name, const QSize& size);
// The greyed twin of a picture, for the pressed look of a picture button.
QPixmap greyed(const QPixmap& pixmap);
// The resource picture `name` as an icon, drawn at each size when first shown
// at it.
QIcon pictureIcon(const QString& name);
// The program's icon.
QIcon programIcon();

} // namespace mainwin
