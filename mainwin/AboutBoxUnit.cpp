#include "mainwin/AboutBoxUnit.h"

#include "mainwin/PageDecor.h"
#include "mainwin/Pictures.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace mainwin {

namespace {
QLabel* placeLabel(const QString& name, const QString& text, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}
} // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info."));
    // A fixed border: no resizing, no maximising.
    setFixedSize(ClientWidth, ClientHeight);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(windowFont());

    Panel1 =
        new BevelPanel(headerColour(), BevelPanel::Bevel::Lowered, BevelPanel::Bevel::Raised, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 161);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 16, 33, 33);
    ProgramIcon->setPixmap(picture(QStringLiteral("icon"), QSize(32, 32)));
    ProgramIcon->setScaledContents(true);

    ProductName = placeLabel(QStringLiteral("ProductName"), QStringLiteral("Quorvex Folivant"),
                             Panel1, 56, 16);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    QPalette black = ProductName->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    ProductName->setPalette(black);
    ProductName->adjustSize();

    Version =
        placeLabel(QStringLiteral("Version"), QStringLiteral("Version 2.0.0.0"), Panel1, 88, 40);

    Comments = new QLabel(QStringLiteral("Ce logiciel est développé par Quorvex "
                                         "(www.quorvex.fr, info@quorvex.fr)"),
                          Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setGeometry(8, 96, 257, 33);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label1 =
        placeLabel(QStringLiteral("Label1"),
                   QStringLiteral("Date de publication (mm/jj/aaaa) : 12/12/2003"), Panel1, 8, 136);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(107, 180, 83, 25);
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    // Centred on the screen, not on the window that opened it.
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace mainwin
