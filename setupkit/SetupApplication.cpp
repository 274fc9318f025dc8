#include "setupkit/SetupApplication.h"

#include "platform/QtTranslations.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The picture lives in this static library; it has to be registered by hand
// before the first use, and outside any namespace.
static void registerSetupResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(setwell);
        return true;
    }();
    Q_UNUSED(done);
}

namespace setupkit {

QIcon setupIcon()
{
    registerSetupResources();
    QSvgRenderer renderer(QStringLiteral(":/setwell/setwell.svg"));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int side : {16, 24, 32, 48, 64}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

void prepareSetupApplication(QApplication& app)
{
    QApplication::setWindowIcon(setupIcon());
    platform::installQtTranslations(&app);
}

} // namespace setupkit
