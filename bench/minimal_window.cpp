// The reference for the start-up benchmark: the least a Qt Widgets program
// does to show a window of Folivant's size. Once it has been painted it says
// so on standard output and ends, as folivant does under
// FOLIVANT_EXIT_WHEN_SHOWN.
//
//   bench_minimal_window [--text]

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {
class ExitWhenShown : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose || event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, qApp, [] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
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
    // With --text, one line of text: what loading the fonts costs any window.
    if (app.arguments().contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("Choisir un fichier PostScript"), &window))->move(8, 8);
    window.winId();
    window.windowHandle()->installEventFilter(new ExitWhenShown(&window));
    window.show();
    return app.exec();
}
