// Takes the user guide's pictures of the window: `screenshots FOLDER` writes
// them to FOLDER, on a real display (scripts/screenshots.sh starts one). Not
// a test: it checks nothing a test does not, and it needs a display. The
// window browses a made-up home folder with the usual folders in it, so the
// pictures show what a user sees rather than whatever lies around on the
// machine that takes them.

#include "mainwin/AboutBoxUnit.h"
#include "mainwin/BrowsePage.h"
#include "mainwin/FileSystemBrowser.h"
#include "mainwin/MainUnit.h"
#include "platform/MessageBox.h"
#include "platform/QtTranslations.h"
#include "support/FormParts.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <memory>

using namespace mainwin;

using testsupport::writeFile;

namespace {
// A small two-page document, as a printer driver would send it to a file.
QByteArray samplePostScript(const QByteArray& title)
{
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n";
    for (int page = 1; page <= 2; ++page) {
        ps += "%%Page: " + QByteArray::number(page) + " " + QByteArray::number(page) + "\n";
        ps += "/Helvetica-Bold findfont 28 scalefont setfont 72 700 moveto (" + title + ") show\n";
        ps += "/Helvetica findfont 14 scalefont setfont\n";
        for (int line = 0; line < 20; ++line)
            ps += "72 " + QByteArray::number(650 - line * 24) + " moveto (Ligne " +
                  QByteArray::number(line + 1) + " de la page " + QByteArray::number(page) +
                  ") show\n";
        ps += "0 0 0.5 setrgbcolor 72 120 468 8 rectfill 0 setgray\nshowpage\n";
    }
    return ps + "%%EOF\n";
}
} // namespace

// A home folder as a French desktop makes it. Under a fixed name when that
// is free, so that pictures taken again show the same paths.
class DemoHome
{
public:
    DemoHome()
    {
        const QString fixed = QDir::tempPath() + "/home";
        if (!QFileInfo::exists(fixed) && QDir().mkpath(fixed)) {
            m_owned = fixed;
            m_root = fixed;
        } else {
            m_spare = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/home-XXXXXX");
            m_root = m_spare->path();
        }
        m_user = m_root + "/camille/";
        for (const char* folder : {".cache", ".config", ".local/share", "Bureau", "Documents/Devis",
                                   "Documents/Factures", "Documents/Impressions/Archives",
                                   "Documents/Lettres", "Documents/Relevés", "Images", "Modèles",
                                   "Musique", "Public", "Téléchargements", "Vidéos"})
            QDir().mkpath(m_user + QString::fromUtf8(folder));
    }
    ~DemoHome()
    {
        if (!m_owned.isEmpty())
            QDir(m_owned).removeRecursively();
    }
    QString user() const { return m_user; }

private:
    std::unique_ptr<QTemporaryDir> m_spare;
    QString m_owned;
    QString m_root;
    QString m_user;
};

class TestScreenshots : public QObject
{
    Q_OBJECT
public:
    explicit TestScreenshots(const QString& out) : m_out(out) {}

private slots:
    void initTestCase();
    void pagesAboutBoxAndConversion();

private:
    void save(QWidget* widget, const QString& name);
    QString m_out;
};

void TestScreenshots::initTestCase()
{
    QVERIFY(QDir().mkpath(m_out));
    platform::installQtTranslations(this);
}

void TestScreenshots::save(QWidget* widget, const QString& name)
{
    QTest::qWait(300);
    QVERIFY(widget->grab().save(m_out + '/' + name));
}

void TestScreenshots::pagesAboutBoxAndConversion()
{
    const DemoHome home;
    const QString docs = home.user() + "Documents/Impressions/";
    QVERIFY(writeFile(docs + "rapport-annuel.ps", samplePostScript("Rapport annuel 2003")));
    QVERIFY(writeFile(docs + "facture-1204.prn", samplePostScript("Facture 1204")));
    QVERIFY(writeFile(docs + "lettre au client.ps", samplePostScript("Lettre")));
    QVERIFY(writeFile(docs + "notes.txt", "x"));
    QVERIFY(writeFile(home.user() + "Documents/Devis/devis-0412.ps", samplePostScript("Devis")));

    // The program and its settings live apart from the home folder.
    QTemporaryDir program;
    TMainForm form;
    browsePage(&form)->setProgramFolder(program.path() + '/');
    browsePage(&form)->setPrefFolders(
        {home.user() + "Documents/Devis/", home.user() + "Téléchargements/", docs});
    part<QCheckBox>(&form, "showcheck")->setChecked(false);
    form.centreOnScreen();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    FileSystemBrowser* browser = browsePage(&form)->browser();
    QVERIFY(browser->selectFolder(docs));
    QTRY_COMPARE(browser->listModel()->rowCount(browser->list()->rootIndex()), 4);
    QTest::qWait(200);
    browser->list()->setCurrentIndex(browser->listModel()->index(docs + "rapport-annuel.ps"));

    part<QTabWidget>(&form, "PageControl2")->setCurrentIndex(0);
    save(&form, "page-aide.png");
    part<QTabWidget>(&form, "PageControl2")->setCurrentIndex(1);
    // The tree ends with the home folder's last folder, rather than with
    // whatever else lies in the machine's temporary folder.
    auto* tree = static_cast<QFileSystemModel*>(browser->tree()->model());
    browser->tree()->scrollTo(tree->index(home.user() + "Vidéos"),
                              QAbstractItemView::PositionAtBottom);
    save(&form, "page-choisir.png");
    part<QTabWidget>(&form, "PageControl2")->setCurrentIndex(3);
    save(&form, "page-taille.png");

    // Taking the file lands on the next page with the names filled in.
    browsePage(&form)->JamShellList1DblClick();
    QCOMPARE(part<QTabWidget>(&form, "PageControl2")->currentIndex(), 2);
    save(&form, "page-creer.png");

    form.GoBtn1Click();
    QVERIFY(QFile::exists(docs + "rapport-annuel.PDF"));
    save(&form, "conversion.png");

    TAboutBox box(&form);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    save(&box, "about.png");
}

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs("usage: screenshots FOLDER   (writes the user guide's pictures there)\n",
                   stderr);
        return 2;
    }
    // Sizes, dates and numbers as a French desktop shows them.
    qputenv("LC_ALL", "fr_FR.UTF-8");
    QApplication app(argc, argv);
    TestScreenshots shots(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    return QTest::qExec(&shots, 1, argv);
}
#include "screenshots.moc"
