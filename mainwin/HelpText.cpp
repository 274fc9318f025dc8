#include "mainwin/HelpText.h"

#include <QTextEdit>

namespace mainwin {

QStringList helpTextLines()
{
    // The line breaks are the author's; a line that breaks in mid-sentence
    // ends with a blank.
    return {
        // 1-4
        QStringLiteral("L'idée de base est très simple: Vous installez une imprimante PostScript "
                       "et dirigez "),
        QStringLiteral("son impression vers un fichier. Ainsi, chaque impression faite sur cette "
                       "imprimante "),
        QStringLiteral("sera enregistrée dans un fichier PostScript à partir duquel Folivant "
                       "pourra "),
        QStringLiteral("créer un fichier PDF."),
        QString(),
        // 6
        QStringLiteral("Installation de l'imprimante:"),
        QString(),
        // 8-17
        QStringLiteral("1.Pour installer une nouvelle imprimante:"),
        QStringLiteral(" "),
        QStringLiteral("Sous Windows 2000, cliquez sur \"Démarrer/Paramètres/Imprimantes/\", puis "
                       "sur \"Ajout d'imprimante\"."),
        QStringLiteral("Sous Windows XP, cliquez sur \"Démarrer/Imprimantes et télécopieurs\", "
                       "puis sur \"Ajouter une imprimante\"."),
        QStringLiteral("Choisissez une imprimante PostScript couleur, par exemple \"Apple Color "
                       "LW 12/660 PS\"."),
        QString(),
        QStringLiteral("Attention: le nom doit se terminer par "),
        QStringLiteral("\"PS\" ou \"PostScript\" et il doit contenir le mot \"Color\" ou "),
        QStringLiteral("\"Couleur\", sinon les fichiers PDF créés n'auront pas "),
        QStringLiteral("de couleurs."),
        QString(),
        // 19-37
        QStringLiteral("2.Spécifier le nom du fichier PostScript créé au moment de "
                       "l'impression:"),
        QStringLiteral("Vous avez 3 possibilités :"),
        QString(),
        QStringLiteral("a) Cliquez avec le bouton droit sur le nom de l'imprimante, puis sur "
                       "\"Propriétés\". "),
        QStringLiteral("Dans l'onglet \"Ports\", choisissez le port \"File\"."),
        QStringLiteral("A chaque impression, le nom du fichier PostScript à créer vous sera "),
        QStringLiteral("demandé."),
        QString(),
        QStringLiteral("b) Dans le même onglet \"Ports\", cliquez sur \"Ajouter un port\", "
                       "choisissez "),
        QStringLiteral("\"Local port\" et donnez comme nom de port un nom de fichier, par "
                       "exemple "),
        QStringLiteral("\"C:\\monFichierPostscript.ps\"."),
        QStringLiteral("Ce nom de fichier sera alors utilisé à chaque impression: chaque "),
        QStringLiteral("nouvelle impression remplace le fichier précédent, convertissez-le "),
        QStringLiteral("avant d'imprimer le document suivant."),
        QString(),
        QStringLiteral("c) Gardez le port LPT1 et, à chaque impression, cochez la case "),
        QStringLiteral("\"Imprimer dans un fichier\" de la boîte de dialogue d'impression. "),
        QStringLiteral("Donnez alors un nom de fichier avec l'extension .ps: le fichier sera "),
        QStringLiteral("créé dans le dossier \"Mes Documents\"."),
        QString(),
        // 39-62
        QStringLiteral("3.Options d'impression:"),
        QString(),
        QStringLiteral("Sous Windows 95/98/ME, pour obtenir des fichiers PDF de bonne qualité, "
                       "réglez "),
        QStringLiteral("les options suivantes dans les propriétés de l'imprimante (clic droit "
                       "sur son "),
        QStringLiteral("nom, puis \"Propriétés\"):"),
        QString(),
        QStringLiteral("- Onglet \"Polices\", option \"Envoyer comme\": choisissez "),
        QStringLiteral("\"Police vectorielle\"."),
        QString(),
        QStringLiteral("- Onglet \"Général\", cliquez sur \"Options d'impression\", puis sur "
                       "\"Avancé...\"."),
        QString(),
        QStringLiteral("Réglez l'option \"mise à l'échelle\" sur 1, "),
        QStringLiteral("afin que les pages gardent leur taille."),
        QString(),
        QStringLiteral("Sous Windows 2000/XP:"),
        QString(),
        QStringLiteral("Onglet \"Général\", cliquez sur \"Options d'impression\", puis sur "
                       "\"Avancé...\"."),
        QString(),
        QStringLiteral("- Option \"Police True Type\": choisissez \"Télécharger en tant que "
                       "police logicielle\" "),
        QStringLiteral("(par défaut: \"substituer avec la police du périphérique\")."),
        QString(),
        QStringLiteral("- Sous \"Options PostScript\", option \"Option de téléchargement de "
                       "police True Type:\", "),
        QStringLiteral("choisissez \"Police vectorielle\" "),
        QStringLiteral("(par défaut: \"automatique\")."),
        QString(),
        // 64-65
        QStringLiteral("Maintenant, vous pouvez créer un fichier PostScript de manière très "
                       "simple, en "),
        QStringLiteral("demandant l'impression de vos documents sur cette nouvelle imprimante."),
        QString(),
    };
}

void fillHelpBox(QTextEdit* richEdit)
{
    // Arial or a face of its widths; not the window's condensed face.
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(15);
    font.setBold(true);
    font.setStretch(QFont::Unstretched);
    richEdit->setFont(font);
    richEdit->setLineWrapMode(QTextEdit::WidgetWidth);
    richEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    richEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    richEdit->setAcceptRichText(false);
    // Every stored line is a paragraph of its own, so the breaks stay put.
    richEdit->setPlainText(helpTextLines().join(QLatin1Char('\n')));
}

} // namespace mainwin
