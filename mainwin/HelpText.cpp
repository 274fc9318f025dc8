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
        QStringLiteral("Le paquet de Folivant installe l'imprimante PostScript couleur "
                       "\"Folivant\" si le "),
        QStringLiteral("serveur d'impression (CUPS) fonctionne. Sinon, une fois le serveur "
                       "démarré, tapez "),
        QStringLiteral("en tant que root: \"folivant-printer add\"."),
        QString(),
        QStringLiteral("Attention: chaque document arrive chez l'utilisateur qui l'imprime. "),
        QStringLiteral("L'imprimante n'est pas partagée avec les autres machines, et les "),
        QStringLiteral("impressions de root, d'un compte système ou d'un compte sans dossier "),
        QStringLiteral("personnel échouent sans rien écrire."),
        QString(),
        // 19-37
        QStringLiteral("2.Spécifier le nom du fichier PostScript créé au moment de "
                       "l'impression:"),
        QStringLiteral("Vous avez 3 possibilités :"),
        QString(),
        QStringLiteral("a) Imprimez sur l'imprimante \"Folivant\": le fichier PostScript est "
                       "créé dans le "),
        QStringLiteral("dossier \"PostScript\" de votre dossier personnel (~/PostScript), "
                       "sous le titre du "),
        QStringLiteral("document suivi du numéro de l'impression, par exemple "
                       "\"Rapport annuel-42.ps\"."),
        QStringLiteral("Il apparaît dans la liste des fichiers de Folivant quand ce dossier "
                       "est ouvert."),
        QString(),
        QStringLiteral("b) Si le programme le propose, choisissez dans sa boîte de dialogue "
                       "d'impression "),
        QStringLiteral("\"Imprimer dans un fichier\", le format \"PostScript\" et un nom de "
                       "fichier avec "),
        QStringLiteral("l'extension .ps. Si seul le format PDF est proposé, imprimez plutôt "
                       "sur \"Folivant\"."),
        QStringLiteral("Ce nom de fichier sera alors utilisé à chaque impression: chaque "),
        QStringLiteral("nouvelle impression remplace le fichier précédent, convertissez-le "),
        QStringLiteral("avant d'imprimer le document suivant."),
        QString(),
        QStringLiteral("c) Depuis un terminal, envoyez un fichier (PDF, texte, image, "
                       "PostScript) avec "),
        QStringLiteral("la commande \"lp -d Folivant fichier\": le serveur d'impression le "
                       "convertit "),
        QStringLiteral("en PostScript et le fichier \"fichier-42.ps\" arrive, comme en a), "
                       "dans le "),
        QStringLiteral("dossier ~/PostScript."),
        QString(),
        // 39-62
        QStringLiteral("3.Options d'impression:"),
        QString(),
        QStringLiteral("Sur l'imprimante \"Folivant\", pour obtenir des fichiers PDF de bonne "
                       "qualité, réglez "),
        QStringLiteral("les options suivantes dans la boîte de dialogue d'impression du "
                       "programme (onglet "),
        QStringLiteral("\"Mise en page\", \"Avancé\" ou \"Propriétés\", selon le programme):"),
        QString(),
        QStringLiteral("- Taille du papier: choisissez celle du document (A4 par défaut); "),
        QStringLiteral("la page du PDF se règle ensuite dans Folivant, page \"Taille de la "
                       "page\"."),
        QString(),
        QStringLiteral("- Couleur: laissez \"Couleur\", l'imprimante est une imprimante couleur."),
        QString(),
        QStringLiteral("- Mise à l'échelle: laissez 100 %, "),
        QStringLiteral("afin que les pages gardent leur taille."),
        QString(),
        QStringLiteral("Depuis un terminal, avec la commande lp:"),
        QString(),
        QStringLiteral("lp -d Folivant -o media=A4 -t \"Titre du document\" fichier"),
        QString(),
        QStringLiteral("- \"-o media=\" choisit la taille du papier (A4, Letter, Legal, A3, "
                       "A5, Executive), "),
        QStringLiteral("\"-t\" le titre, et donc le nom du fichier: \"Titre du document-42.ps\"."),
        QString(),
        QStringLiteral("- Les polices du document sont incorporées au fichier PostScript par "
                       "le serveur "),
        QStringLiteral("d'impression: aucune option de police n'est à régler, et les textes "
                       "gardent "),
        QStringLiteral("leur forme exacte dans le PDF."),
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
