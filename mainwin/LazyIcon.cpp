#include "mainwin/LazyIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QMutex>
#include <QPainter>

#include <memory>

namespace mainwin {

namespace {
// What the copies of one lazy icon share: how to make it, and what it made.
// The file models' own thread copies these icons while the window's thread
// draws them.
struct Made
{
    std::function<QIcon()> make;
    QMutex lock;
    bool done = false;
    QIcon icon;

    QIcon get()
    {
        QMutexLocker locked(&lock);
        if (!done) {
            icon = make();
            make = nullptr;
            done = true;
        }
        return icon;
    }
};

class LazyIconEngine : public QIconEngine
{
public:
    explicit LazyIconEngine(std::shared_ptr<Made> made) : m_made(std::move(made)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        m_made->get().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_made->get().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_made->get().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        // `size` is in device pixels here, the icon's own call takes it in
        // the window's.
        const QIcon icon = m_made->get();
        if (scale == 1.0)
            return icon.pixmap(size, mode, state);
        return icon.pixmap((QSizeF(size) / scale).toSize(), scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return m_made->get().availableSizes(mode, state);
    }
    QString iconName() override { return m_made->get().name(); }
    // Known to have pictures until made: asking would make it.
    bool isNull() override
    {
        QMutexLocker locked(&m_made->lock);
        return m_made->done && m_made->icon.isNull();
    }
    QString key() const override { return QStringLiteral("mainwin::LazyIconEngine"); }
    QIconEngine* clone() const override { return new LazyIconEngine(m_made); }

private:
    std::shared_ptr<Made> m_made;
};
} // namespace

QIcon lazyIcon(std::function<QIcon()> make)
{
    auto made = std::make_shared<Made>();
    made->make = std::move(make);
    return QIcon(new LazyIconEngine(std::move(made)));
}

QIcon lazyStandardIcon(QStyle::StandardPixmap which)
{
    return lazyIcon([which] { return QApplication::style()->standardIcon(which); });
}

} // namespace mainwin
