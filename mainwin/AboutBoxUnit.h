#pragma once
// The about box: the product's name, version and release date. Made afresh
// for each showing and destroyed after it.

#include <QDialog>

class QLabel;
class QPushButton;

namespace mainwin {

class BevelPanel;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 298;
    static constexpr int ClientHeight = 213;

    explicit TAboutBox(QWidget* owner);

    BevelPanel* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;
    QLabel* Label1;
    QPushButton* BitBtn1;

protected:
    // The box has no cancel button: Escape does not close it.
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace mainwin
