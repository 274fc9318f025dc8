#pragma once
// Icons made the first time something draws them or asks their size. A
// style's standard icon is read from every picture file it has, at every
// size, when it is made; an icon on a page the start does not show, or one
// the file lists only need once they fill, then costs nothing at the start.

#include <QIcon>
#include <QStyle>

#include <functional>

namespace mainwin {

// The icon `make` returns, made on first use. Copies share what it made.
QIcon lazyIcon(std::function<QIcon()> make);
// The application's style's standard icon `which`, made on first use.
QIcon lazyStandardIcon(QStyle::StandardPixmap which);

} // namespace mainwin
