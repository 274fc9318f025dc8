#pragma once
// What the setup window framework (SetupWindow.cpp) and the two windows
// built on it (SetupScreens.cpp) share, and no program needs.

#include "setupkit/SetupWindow.h"

namespace setupkit {

// The session the windows belong to.
inline SetupSession& state()
{
    return SetupSession::current();
}

// Creates a top-level window of a registered class at the outer size w x h.
SetupWindow* createWindow(quint32 exStyle, const QString& className, const QString& title,
                          quint32 style, int x, int y, int w, int h, QWidget* owner);

// DejaVu Sans, upright and plain, `pixelHeight` pixels high.
QFont makeFont(int pixelHeight, QFont::Weight weight);

// A control made by CreateControl, as the kind its class makes.
template <typename T> T* as(QWidget* control)
{
    return static_cast<T*>(control);
}

} // namespace setupkit
