// Output names, preferred-folder moves and the file-type masks.

#include "mainwin/SourceSelection.h"
#include "platform/KnownFolders.h"

#include <QtTest>

using namespace mainwin;

class TestSourceSelection : public QObject
{
    Q_OBJECT
private slots:
    void outputName_data();
    void outputName();
    void preferredFolderMoves();
    void masks();
};

void TestSourceSelection::outputName_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("output");
    QTest::newRow("plain") << "/Docs/report.ps"
                           << "/Docs/report.PDF";
    QTest::newRow("last extension only") << "/Docs/archive.part1.prn"
                                         << "/Docs/archive.part1.PDF";
    QTest::newRow("dot only in a folder") << "/Old.dir/README"
                                          << "/Old.dir/README.PDF";
    QTest::newRow("trailing dot") << "/Docs/report."
                                  << "/Docs/report.PDF";
    QTest::newRow("upper case") << "/Docs/REPORT.PS"
                                << "/Docs/REPORT.PDF";
    QTest::newRow("any type") << "/Docs/notes.txt"
                              << "/Docs/notes.PDF";
    QTest::newRow("already pdf") << "/Docs/a.pdf"
                                 << "/Docs/a.PDF";
    QTest::newRow("blanks and accents") << "/Mes docs/Été 2003.ps"
                                        << "/Mes docs/Été 2003.PDF";
    QTest::newRow("colon is no separator here") << "/a/b:c.ps"
                                                << "/a/b:c.PDF";
    QTest::newRow("relative name") << "report.ps"
                                   << "report.PDF";
}

void TestSourceSelection::outputName()
{
    QFETCH(QString, source);
    QFETCH(QString, output);
    QCOMPARE(mainwin::outputNameFor(source), output);
}

void TestSourceSelection::preferredFolderMoves()
{
    // A new folder goes on top.
    QByteArrayList folders;
    mainwin::moveToTop(folders, "/Docs/");
    QCOMPARE(folders, QByteArrayList{"/Docs/"});

    // A folder at position 4 moves to the top; the count stays.
    folders = QByteArrayList{"/a/", "/b/", "/c/", "/d/", "/e/"};
    mainwin::moveToTop(folders, "/d/");
    QCOMPARE(folders, (QByteArrayList{"/d/", "/a/", "/b/", "/c/", "/e/"}));

    // Already on top: same list.
    mainwin::moveToTop(folders, "/d/");
    QCOMPARE(folders, (QByteArrayList{"/d/", "/a/", "/b/", "/c/", "/e/"}));

    // Case matters.
    folders = QByteArrayList{"/Docs/"};
    mainwin::moveToTop(folders, "/docs/");
    QCOMPARE(folders, (QByteArrayList{"/docs/", "/Docs/"}));

    // With a duplicate only the later one goes.
    folders = QByteArrayList{"/x/", "/a/", "/y/", "/a/", "/z/"};
    mainwin::moveToTop(folders, "/a/");
    QCOMPARE(folders, (QByteArrayList{"/a/", "/x/", "/a/", "/y/", "/z/"}));

    // No bound.
    folders.clear();
    for (int i = 0; i < 500; ++i)
        mainwin::moveToTop(folders, "/f" + QByteArray::number(i) + "/");
    QCOMPARE(folders.size(), 500);
    QCOMPARE(folders.first(), QByteArray("/f499/"));

    QCOMPARE(platform::withTrailingSlash("/a"), QStringLiteral("/a/"));
    QCOMPARE(platform::withTrailingSlash("/"), QStringLiteral("/"));
    // No folder stays no folder rather than becoming the root.
    QCOMPARE(platform::withTrailingSlash(QString()), QString());
}

void TestSourceSelection::masks()
{
    const auto entries = mainwin::filterEntries();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).text, QStringLiteral("Fichiers PostScript"));
    QCOMPARE(entries.at(0).mask, QStringLiteral("*.ps;*.prn;*.eps"));
    QCOMPARE(entries.at(1).text, QStringLiteral("Tous les fichiers (*.*)"));
    QCOMPARE(entries.at(1).mask, QStringLiteral("*.*"));
    QCOMPARE(mainwin::splitMask("*.ps;*.prn"), (QStringList{"*.ps", "*.prn"}));
    QCOMPARE(mainwin::splitMask("*.*"), QStringList{"*"});
    QCOMPARE(mainwin::splitMask(" *.ps ;;"), QStringList{"*.ps"});
}

QTEST_GUILESS_MAIN(TestSourceSelection)
#include "tst_sourceselection.moc"
