// The reference for the start-up benchmark: the least a Qt Widgets program
// does to show a window of Folivant's size, ended once it has been painted
// as folivant ends under FOLIVANT_EXIT_WHEN_SHOWN.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {
class ExitWhenShown : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose || event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(614, 462);
    window.winId();
    window.windowHandle()->installEventFilter(new ExitWhenShown(&window));
    window.show();
    return app.exec();
}
