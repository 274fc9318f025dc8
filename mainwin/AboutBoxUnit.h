#pragma once
// The about box, made afresh for each showing.

#include <QDialog>

class QPushButton;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner);

    QPushButton* OKButton;
};
