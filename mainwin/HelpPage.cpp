#include "mainwin/HelpPage.h"

#include "mainwin/HelpText.h"

#include <QTextEdit>

namespace mainwin {

HelpPage::HelpPage(QWidget* parent)
    : PageSheet(QStringLiteral("TabSheet1"),
                QStringLiteral("Aide - Comment créer un fichier PostScript à partir de n'importe "
                               "quel type de document"),
                QString(), QString(), parent)
{
    RichEdit1 = new QTextEdit(area());
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    fillHelpBox(RichEdit1);
    area()->setPlacer(
        [this](const QSize& size) { RichEdit1->setGeometry(0, 0, size.width(), size.height()); });
}

} // namespace mainwin
