#pragma once
// What the setup programs' work shows while it runs. The window implements
// it (WindowProgress); a test may record it. The work itself stays plain
// logic that never touches a window: a step that fails returns false and
// says why in a `QString* error`, and what the user must hear of on the
// way reaches reportFailure(), where the window decides how to show it.

#include <QString>

class QWidget;

namespace setupkit {

// Failures the work goes on after, each shown in a box of its own.
enum class SetupFailure {
    CopyFailed,        // a file could not be copied
    TemporaryLeft,     // what a killed copy left could not be removed
    MenuFolderMissing, // there is no menu folder, or it could not be made
    MenuFolderOutside, // the product's menu folder leads out of the menu
    NotRegistered,     // the uninstallation could not be registered
};

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
    // Tells the user of `failure` with `text`, in the box each kind has.
    virtual void reportFailure(SetupFailure failure, const QString& text);
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
