#pragma once
// What the window takes while a conversion runs: it keeps painting, but
// input to it is held back, except the three ways to stop the run: Escape,
// the close box and a press on the start picture. Each asks whether to stop
// and, after OK, ends the run.

#include <QObject>

class QWidget;

namespace mainwin {

class ConversionGuard : public QObject
{
public:
    // Guards `window` from now until the object goes; `startPicture` is the
    // picture whose press asks to stop.
    ConversionGuard(QWidget* window, QWidget* startPicture);
    ~ConversionGuard() override;

    // Asks whether to stop the run and stops it after OK. Asks once at a time.
    void askToStop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inWindow(QObject* watched) const;

    QWidget* m_window;
    QWidget* m_startPicture;
    bool m_asking = false;
};

} // namespace mainwin
