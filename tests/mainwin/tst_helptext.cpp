// The help text's layout: which stored lines are empty, where each section
// starts, and the wording that must stand exactly as written.

#include "mainwin/HelpText.h"

#include <QtTest>

using namespace mainwin;

class TestHelpText : public QObject
{
    Q_OBJECT
private slots:
    void emptyLinesWhereTheyBelong();
    void sectionsStartOnTheirLines();
    void quotedPhrasesStandAsWritten();
};

void TestHelpText::emptyLinesWhereTheyBelong()
{
    const QStringList lines = helpTextLines();
    QCOMPARE(lines.size(), 66);
    const QList<int> empty{5, 7, 13, 18, 21, 26, 33, 38, 40, 44, 47, 49, 52, 54, 56, 59, 63, 66};
    for (int number = 1; number <= lines.size(); ++number) {
        const QString& line = lines.at(number - 1);
        if (number == 9)
            QCOMPARE(line, QStringLiteral(" "));
        else if (empty.contains(number))
            QVERIFY2(line.isEmpty(), qPrintable(QStringLiteral("line %1").arg(number)));
        else
            QVERIFY2(!line.trimmed().isEmpty(), qPrintable(QStringLiteral("line %1").arg(number)));
    }
}

void TestHelpText::sectionsStartOnTheirLines()
{
    const QStringList lines = helpTextLines();
    const auto line = [&](int number) { return lines.at(number - 1); };
    QCOMPARE(line(1), QStringLiteral("L'idée de base est très simple: Vous installez une "
                                     "imprimante PostScript et dirigez "));
    QCOMPARE(line(3), QStringLiteral("sera enregistrée dans un fichier PostScript à partir duquel "
                                     "Folivant pourra "));
    QCOMPARE(line(6), QStringLiteral("Installation de l'imprimante:"));
    QCOMPARE(line(8), QStringLiteral("1.Pour installer une nouvelle imprimante:"));
    QVERIFY(line(14).startsWith(QStringLiteral("Attention: ")));
    QCOMPARE(line(19), QStringLiteral("2.Spécifier le nom du fichier PostScript créé au moment de "
                                      "l'impression:"));
    QCOMPARE(line(20), QStringLiteral("Vous avez 3 possibilités :"));
    QCOMPARE(line(39), QStringLiteral("3.Options d'impression:"));
    // The dialogs' settings and the terminal's begin on their own lines.
    QVERIFY(line(41).startsWith(QStringLiteral("Sur l'imprimante \"Folivant\"")));
    QVERIFY(line(53).contains(QStringLiteral("commande lp")));
    QCOMPARE(line(64), QStringLiteral("Maintenant, vous pouvez créer un fichier PostScript de "
                                      "manière très simple, en "));
    QCOMPARE(line(65), QStringLiteral("demandant l'impression de vos documents sur cette nouvelle "
                                      "imprimante."));
}

void TestHelpText::quotedPhrasesStandAsWritten()
{
    const QString text = helpTextLines().join(QLatin1Char('\n'));
    // What a user of this system types or looks for.
    const QStringList phrases{
        "\"Folivant\"",
        "\"folivant-printer add\"",
        "~/PostScript",
        "\"Rapport annuel-42.ps\"",
        "\"Imprimer dans un fichier\"",
        "\"PostScript\"",
        "\"lp -d Folivant fichier\"",
        "-o media=A4",
        "\"Taille de la page\"",
    };
    for (const QString& phrase : phrases)
        QVERIFY2(text.contains(phrase), qPrintable(phrase));
}

QTEST_GUILESS_MAIN(TestHelpText)
#include "tst_helptext.moc"
