#pragma once
// The window's parts for the tests, found by the object names they carry.

#include "mainwin/BrowsePage.h"
#include "mainwin/FilenameEdit.h"
#include "mainwin/LogMemo.h"
#include "mainwin/MainUnit.h"
#include "mainwin/NumericSpinEdit.h"
#include "mainwin/PageDecor.h"
#include "mainwin/PictureImage.h"
#include "mainwin/ProgressStatusBar.h"
#include "platform/ProgramPath.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

template <typename T = QWidget> T* part(const QObject* form, const char* name)
{
    T* found = form->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("The window has no %s of the expected kind", name);
    return found;
}

inline mainwin::BrowsePage* browsePage(const QObject* form)
{
    return part<mainwin::BrowsePage>(form, "BrowsePage");
}
