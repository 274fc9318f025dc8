#pragma once
// What the setup programs' work shows while it runs. The window implements
// it (WindowProgress); a test may record it. The work itself stays plain
// logic that never touches a window.

#include <QString>

class QWidget;

namespace setupkit {

class SetupProgress
{
public:
    virtual ~SetupProgress() = default;
    // The progress window replaces the main window.
    virtual void showProgressWindow() {}
    virtual void setProgressText(const QString& text) { (void)text; }
    virtual void setWaitCursor(bool wait) { (void)wait; }
    // Owner of the boxes shown during and after the work.
    virtual QWidget* progressWindow() const { return nullptr; }
    // The final message (information icon, task-modal, owned by the
    // progress window); the window then ends the program with `exitCode`.
    virtual void finish(const QString& text, const QString& caption, int exitCode);
};

// The progress window of the setup window framework.
class WindowProgress : public SetupProgress
{
public:
    void showProgressWindow() override;
    void setProgressText(const QString& text) override;
    void setWaitCursor(bool wait) override;
    QWidget* progressWindow() const override;
    void finish(const QString& text, const QString& caption, int exitCode) override;
};

} // namespace setupkit
