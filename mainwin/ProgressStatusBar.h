#pragma once
// The window's status bar, whose second panel shows how far a run has come
// as a navy bar from its left edge.

#include "mainwin/StatusBar.h"

#include <cstdint>

namespace mainwin {

class ProgressStatusBar : public StatusBar
{
    Q_OBJECT
public:
    // A rectangle whose right and bottom edges lie just outside it.
    struct Rect
    {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    explicit ProgressStatusBar(QWidget* parent);

    // Shows `value` per cent at once: a longer bar is painted over the
    // shorter one, a shorter one repaints the panel.
    void SetProStatus(int32_t value);
    int32_t progressValue() const { return m_progress; }
    // Where the bar was last drawn.
    Rect progressRect() const { return m_progressRect; }

private:
    void StatusBar1DrawPanel(const QRect& rect);
    void SBarPaintMore();

    int32_t m_progress = 0;
    Rect m_progressRect;
};

} // namespace mainwin
