#include "mainwin/Pictures.h"

#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

// The resources live in this static library; they have to be registered
// by hand before the first use, from outside any namespace.
static void registerResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(folivant);
        return true;
    }();
    Q_UNUSED(done);
}

namespace mainwin {

QPixmap picture(const QString& name, const QSize& size)
{
    registerResources();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/folivant/%1.svg").arg(name));
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap greyed(const QPixmap& pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            // Washed-out grey, a little darker than the face so the press shows.
            const int grey = (qGray(c) * 3 + 128 * 1) / 4 - 12;
            const int g = qBound(0, grey, 255);
            line[x] = qRgba(g, g, g, qAlpha(c));
        }
    }
    return QPixmap::fromImage(image);
}

namespace {
// Draws the icon at a size only when something shows it at that size: a
// start on a desktop that shows none, or only one size, draws nothing more.
class PictureIconEngine : public QIconEngine
{
public:
    explicit PictureIconEngine(const QString& name) : m_name(name) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        auto drawn = m_drawn.constFind(size);
        if (drawn == m_drawn.constEnd())
            drawn = m_drawn.insert(size, picture(m_name, size));
        return *drawn;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }
    QIconEngine* clone() const override { return new PictureIconEngine(*this); }

private:
    QString m_name;
    QHash<QSize, QPixmap> m_drawn;
};
} // namespace

QIcon pictureIcon(const QString& name)
{
    return QIcon(new PictureIconEngine(name));
}

QIcon programIcon()
{
    return pictureIcon(QStringLiteral("icon"));
}

} // namespace mainwin
