#pragma once
// The page "Aide": the built-in help text, filling the page below its header.

#include "mainwin/PageDecor.h"

class QTextEdit;

namespace mainwin {

class HelpPage : public PageSheet
{
    Q_OBJECT
public:
    explicit HelpPage(QWidget* parent);

private:
    QTextEdit* RichEdit1;
};

} // namespace mainwin
