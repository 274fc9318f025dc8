// Start-up and close with and without the settings files. The settings
// live beside the program, so each case copies this test program into a
// sandbox folder and runs the copy there as the window's program.

#include "mainwin/BrowsePage.h"
#include "mainwin/CreatePage.h"
#include "mainwin/FileSystemBrowser.h"
#include "mainwin/FilenameEdit.h"
#include "mainwin/MainUnit.h"
#include "mainwin/NumericSpinEdit.h"
#include "mainwin/SettingsFiles.h"
#include "platform/MessageBox.h"
#include "support/FormParts.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

using namespace mainwin;

using testsupport::readFile;
using testsupport::writeFile;

namespace {
// The child: start the window, optionally take a file from a folder, set a
// page size and close it with the given answer, and report what the window
// showed. Names after "--" are the program's command line.
int runChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(2);
    const qsizetype dashes = args.indexOf("--");
    const QStringList names = dashes < 0 ? QStringList() : args.mid(dashes + 1);
    if (dashes >= 0)
        args = args.mid(0, dashes);
    platform::MsgAnswer answer = platform::MsgAnswer::Cancel;
    if (args.contains("close-ok"))
        answer = platform::MsgAnswer::Ok;
    QJsonArray boxes;
    platform::setMessageHandler([&](const platform::MessageRequest& request) {
        boxes.append(request.text);
        return answer;
    });

    auto* form = new TMainForm;
    if (dashes >= 0)
        form->openCommandLineFiles(names);
    QJsonObject report;
    QStringList sources;
    for (int i = 0; i < part<QListWidget>(form, "ListBox1")->count(); ++i)
        sources << part<QListWidget>(form, "ListBox1")->item(i)->text();
    report["sources"] = QJsonArray::fromStringList(sources);
    report["output"] = part<FilenameEdit>(form, "FilenameEdit2")->fileName();
    report["programFolder"] = platform::programFolder();
    report["prefFolders"] = QJsonArray::fromStringList(browsePage(form)->prefFolders());
    report["prefCurrent"] = part<PrefListWidget>(form, "PrefListBox")->currentRow();
    report["breit"] = part<NumericSpinEdit>(form, "BreitEd")->text();
    report["hoch"] = part<NumericSpinEdit>(form, "HochEd")->text();
    report["width"] = part<NumericSpinEdit>(form, "WidthEd")->text();
    report["height"] = part<NumericSpinEdit>(form, "HeightEd")->text();
    report["tree"] = browsePage(form)->browser()->selectedFolder();
    report["page"] = part<QTabWidget>(form, "PageControl2")->currentIndex();
    report["filter"] = part<QComboBox>(form, "FilterComboBox1")->currentText();
    // Where a PDF typed without a folder would be written.
    part<FilenameEdit>(form, "FilenameEdit2")->setFileName("typed.pdf");
    report["typedOutput"] = form->findChild<CreatePage*>()->jobInput().outputName;
    part<FilenameEdit>(form, "FilenameEdit2")->setFileName(report["output"].toString());
    for (const QString& arg : args) {
        if (arg.startsWith("pick:"))
            browsePage(form)->AddToPrefFolders(arg.mid(5));
        if (arg.startsWith("set:")) {
            part<NumericSpinEdit>(form, "BreitEd")->setValue(arg.section(':', 1, 1).toDouble());
            part<NumericSpinEdit>(form, "HochEd")->setValue(arg.section(':', 2, 2).toDouble());
        }
    }
    if (args.contains("close-ok") || args.contains("close-cancel")) {
        form->show();
        form->close();
        report["closed"] = !form->isVisible();
    }
    report["boxes"] = boxes;
    std::fputs(QJsonDocument(report).toJson(QJsonDocument::Compact).constData(), stdout);
    delete form;
    return 0;
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void withoutFiles();
    void withBothFiles();
    void pageSizeIsBroughtIntoRange();
    void shortAndLongOptions();
    void cancelWritesNothingOkWritesPageSize();
    void savedPageSizeComesBack();
    void readOnlyProgramFolderSavesForTheUser();
    void installedCopyWritesNothingBesideItself();
    void firstFolder_data();
    void firstFolder();
    void openWithFiles();
    void commandLine_data();
    void commandLine();

private:
    QJsonObject run(const QStringList& args = {});
    QStringList sandboxFiles() const
    {
        return QDir(m_program).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir* m_dir = nullptr;
    QString m_program;
    QString m_exeName;
    QString m_workingFolder;
    QString m_home;
};

void TestStartup::init()
{
    m_dir = new QTemporaryDir;
    m_workingFolder.clear();
    m_home.clear();
    m_program = m_dir->path() + "/Folivant dossier é/";
    QVERIFY(QDir().mkpath(m_program));
    m_exeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), m_program + m_exeName));
    QFile::setPermissions(m_program + m_exeName,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestStartup::cleanup()
{
    QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    delete m_dir;
}

QJsonObject TestStartup::run(const QStringList& args)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", m_dir->path() + "/config");
    if (!m_home.isEmpty())
        env.insert("HOME", m_home);
    child.setProcessEnvironment(env);
    if (!m_workingFolder.isEmpty())
        child.setWorkingDirectory(m_workingFolder);
    child.start(m_program + m_exeName, QStringList{"--child"} + args);
    if (!child.waitForFinished(60000))
        return {};
    const QByteArray out = child.readAllStandardOutput();
    const QJsonObject report = QJsonDocument::fromJson(out.mid(out.indexOf('{'))).object();
    if (report.isEmpty())
        qWarning() << out << child.readAllStandardError();
    return report;
}

void TestStartup::withoutFiles()
{
    const QJsonObject r = run();
    QCOMPARE(r["programFolder"].toString(), m_program);
    QCOMPARE(r["prefFolders"].toArray().size(), 0);
    QCOMPARE(r["breit"].toString(), QStringLiteral("215.90"));
    QCOMPARE(r["hoch"].toString(), QStringLiteral("279.40"));
    QCOMPARE(r["width"].toString(), QStringLiteral("8.50"));
    QCOMPARE(r["height"].toString(), QStringLiteral("11.00"));
    QCOMPARE(r["tree"].toString() + '/', m_program);
    QCOMPARE(r["page"].toInt(), 1);
    QCOMPARE(r["filter"].toString(), QStringLiteral("Fichiers PostScript"));
    QCOMPARE(r["boxes"].toArray().size(), 0);
    // Starting writes nothing.
    QCOMPARE(sandboxFiles(), QStringList{m_exeName});
}

void TestStartup::withBothFiles()
{
    QVERIFY(writeFile(m_program + "folders.dat", "/gone/\r\n\r\n/a/\n/b/\r\n"));
    QVERIFY(writeFile(m_program + "options.dat", mainwin::formatPageSize(210.0, 297.0)));
    const QJsonObject r = run();
    QCOMPARE(r["prefFolders"].toArray().toVariantList(), (QVariantList{"/gone/", "", "/a/\n/b/"}));
    QCOMPARE(r["prefCurrent"].toInt(), -1);
    QCOMPARE(r["breit"].toString(), QStringLiteral("210.00"));
    QCOMPARE(r["hoch"].toString(), QStringLiteral("297.00"));
    QCOMPARE(r["width"].toString(), QStringLiteral("8.27"));
    QCOMPARE(r["height"].toString(), QStringLiteral("11.69"));
    // The tree shows the program's folder, not a preferred one, and a
    // missing preferred folder says nothing at start.
    QCOMPARE(r["tree"].toString() + '/', m_program);
    QCOMPARE(r["boxes"].toArray().size(), 0);
}

void TestStartup::pageSizeIsBroughtIntoRange()
{
    QVERIFY(writeFile(m_program + "options.dat", mainwin::formatPageSize(5.0, 20000.0)));
    const QJsonObject r = run();
    QCOMPARE(r["breit"].toString(), QStringLiteral("10.00"));
    QCOMPARE(r["hoch"].toString(), QStringLiteral("10000.00"));
    QCOMPARE(r["width"].toString(), QStringLiteral("0.50"));
}

void TestStartup::shortAndLongOptions()
{
    // 12 bytes: a whole width, half a height.
    QVERIFY(writeFile(m_program + "options.dat", mainwin::formatPageSize(100.5, 1).left(12)));
    QVERIFY(writeFile(m_program + "folders.dat", "/a/\r\n"));
    QJsonObject r = run({"close-ok"});
    QCOMPARE(r["breit"].toString(), QStringLiteral("100.50"));
    QCOMPARE(r["hoch"].toString(), QStringLiteral("279.40"));
    QCOMPARE(r["height"].toString(), QStringLiteral("11.00"));
    QVERIFY(r["closed"].toBool());
    // Saved whole afterwards; folders.dat is not written at close.
    QCOMPARE(readFile(m_program + "options.dat"), mainwin::formatPageSize(100.5, 279.4));
    QCOMPARE(readFile(m_program + "folders.dat"), QByteArray("/a/\r\n"));

    // 3 bytes: nothing usable, the start-up size stays.
    QVERIFY(writeFile(m_program + "options.dat", "abc"));
    r = run();
    QCOMPARE(r["breit"].toString(), QStringLiteral("215.90"));
    QCOMPARE(r["hoch"].toString(), QStringLiteral("279.40"));

    // 20 bytes: the first 16 count.
    QVERIFY(writeFile(m_program + "options.dat", mainwin::formatPageSize(148, 210) + "junk"));
    r = run();
    QCOMPARE(r["breit"].toString(), QStringLiteral("148.00"));
    QCOMPARE(r["hoch"].toString(), QStringLiteral("210.00"));
}

void TestStartup::cancelWritesNothingOkWritesPageSize()
{
    QJsonObject r = run({"close-cancel"});
    QVERIFY(!r["closed"].toBool());
    QCOMPARE(r["boxes"].toArray().toVariantList(), QVariantList{"Vous quittez le programme"});
    QCOMPARE(sandboxFiles(), QStringList{m_exeName});

    r = run({"close-ok"});
    QVERIFY(r["closed"].toBool());
    QCOMPARE(readFile(m_program + "options.dat"), mainwin::formatPageSize(215.9, 279.4));
    QVERIFY(!QFile::exists(m_program + "folders.dat"));
}

void TestStartup::savedPageSizeComesBack()
{
    QVERIFY(run({"set:100.5:200.25", "close-ok"})["closed"].toBool());
    QCOMPARE(readFile(m_program + "options.dat"), mainwin::formatPageSize(100.5, 200.25));
    const QJsonObject r = run();
    QCOMPARE(r["breit"].toString(), QStringLiteral("100.50"));
    QCOMPARE(r["hoch"].toString(), QStringLiteral("200.25"));
    QCOMPARE(r["width"].toString(), QStringLiteral("3.96"));
    QCOMPARE(r["height"].toString(), QStringLiteral("7.88"));
}

void TestStartup::readOnlyProgramFolderSavesForTheUser()
{
    // Defaults shipped beside the program by whoever installed it.
    QVERIFY(writeFile(m_program + "folders.dat", "/shipped/\r\n"));
    QVERIFY(writeFile(m_program + "options.dat", mainwin::formatPageSize(148, 210)));
    const QString user = m_dir->path() + "/config/folivant/";
    {
        const testsupport::ReadOnlyFolder readOnly(m_program);
        if (!readOnly.failure().isEmpty())
            QSKIP(qPrintable("no read-only folder: " + readOnly.failure()));
        QJsonObject r = run({"pick:/Docs/", "set:300:400", "close-ok"});
        QCOMPARE(r["breit"].toString(), QStringLiteral("148.00"));
        QCOMPARE(r["prefFolders"].toArray().toVariantList(), QVariantList{"/shipped/"});
        QVERIFY(r["closed"].toBool());
        QCOMPARE(r["boxes"].toArray().size(), 1); // the closing question only
        QCOMPARE(readFile(user + "folders.dat"), QByteArray("/Docs/\r\n/shipped/\r\n"));
        QCOMPARE(readFile(user + "options.dat"), mainwin::formatPageSize(300, 400));
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QVERIFY(!(QFileInfo(user).permissions() & others));

        // The next start takes the user's copies over those beside the program.
        r = run();
        QCOMPARE(r["breit"].toString(), QStringLiteral("300.00"));
        QCOMPARE(r["hoch"].toString(), QStringLiteral("400.00"));
        QCOMPARE(r["prefFolders"].toArray().toVariantList(), (QVariantList{"/Docs/", "/shipped/"}));
    }
    QCOMPARE(readFile(m_program + "options.dat"), mainwin::formatPageSize(148, 210));
    QCOMPARE(readFile(m_program + "folders.dat"), QByteArray("/shipped/\r\n"));

    // A folder that can be written keeps the settings beside the program and
    // never looks at the user's.
    const QJsonObject r = run({"set:250:350", "close-ok"});
    QCOMPARE(r["breit"].toString(), QStringLiteral("148.00"));
    QCOMPARE(readFile(m_program + "options.dat"), mainwin::formatPageSize(250, 350));
    QCOMPARE(readFile(user + "options.dat"), mainwin::formatPageSize(300, 400));
}

void TestStartup::installedCopyWritesNothingBesideItself()
{
    // The machine's copy in a folder that this user (root, say) can write,
    // with settings that an earlier version left there.
    QVERIFY(writeFile(m_program + platform::InstalledMarkerName, "installed\n"));
    QVERIFY(writeFile(m_program + "folders.dat", "/root-s/\r\n"));
    QVERIFY(writeFile(m_program + "options.dat", mainwin::formatPageSize(148, 210)));
    const QStringList before = sandboxFiles();
    const QString user = m_dir->path() + "/config/folivant/";

    QJsonObject r = run({"pick:/Docs/", "set:300:400", "close-ok"});
    QCOMPARE(r["breit"].toString(), QStringLiteral("215.90"));
    QCOMPARE(r["prefFolders"].toArray().size(), 0);
    QVERIFY(r["closed"].toBool());
    QCOMPARE(sandboxFiles(), before);
    QCOMPARE(readFile(m_program + "options.dat"), mainwin::formatPageSize(148, 210));
    QCOMPARE(readFile(user + "folders.dat"), QByteArray("/Docs/\r\n"));
    QCOMPARE(readFile(user + "options.dat"), mainwin::formatPageSize(300, 400));

    r = run();
    QCOMPARE(r["breit"].toString(), QStringLiteral("300.00"));
    QCOMPARE(r["prefFolders"].toArray().toVariantList(), QVariantList{"/Docs/"});
}

void TestStartup::firstFolder_data()
{
    // Folders below the sandbox: "program" is the program's own, "home" the
    // user's; "-" starts the program where it lies. Expected: the tree's
    // folder, and the folder where a PDF typed without a folder is written.
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("startedIn");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("typedIn");
    const QString p = "Folivant dossier é";
    QTest::newRow("distribution, anywhere") << false << "docs" << QStringList{"docs"} << p << p;
    QTest::newRow("installed, in a folder") << true << "docs" << QStringList{"docs"} << "docs"
                                            << "docs";
    QTest::newRow("installed, in its own folder") << true << p << QStringList{} << "home"
                                                  << "home";
    QTest::newRow("installed, from the menu")
        << true << "home" << QStringList{"home/PostScript"} << "home/PostScript"
        << "home";
    QTest::newRow("installed, in its folder, jobs waiting")
        << true << p << QStringList{"home/PostScript"} << "home/PostScript"
        << "home";
    QTest::newRow("installed, home without jobs")
        << true << "home" << QStringList{"home/docs"} << "home"
        << "home";
    QTest::newRow("installed, below home")
        << true << "home/docs" << QStringList{"home/docs", "home/PostScript"} << "home/docs"
        << "home/docs";
    QTest::newRow("installed, unreadable folder")
        << true << "locked" << QStringList{"locked", "home/PostScript"} << "home/PostScript"
        << "home";
}

void TestStartup::firstFolder()
{
    QFETCH(bool, installed);
    QFETCH(QString, startedIn);
    QFETCH(QStringList, folders);
    QFETCH(QString, tree);
    QFETCH(QString, typedIn);
    const QString root = m_dir->path() + '/';
    QVERIFY(QDir().mkpath(root + "home"));
    for (const QString& folder : folders)
        QVERIFY(QDir().mkpath(root + folder));
    // A file where the jobs' folder would be is no folder of jobs.
    QVERIFY(writeFile(root + "home/PostScript.ps", "%!\n"));
    if (installed)
        QVERIFY(writeFile(m_program + platform::InstalledMarkerName, "installed\n"));
    m_home = root + "home";
    m_workingFolder = root + startedIn;
    const bool locked = startedIn == "locked";
    if (locked) {
        QFile::setPermissions(m_workingFolder, QFile::WriteOwner | QFile::ExeOwner);
        if (QFileInfo(m_workingFolder).isReadable()) {
            QFile::setPermissions(m_workingFolder,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("this account reads any folder");
        }
    }
    const QJsonObject r = run();
    if (locked)
        QFile::setPermissions(m_workingFolder,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(r["tree"].toString(), root + tree);
    QCOMPARE(r["typedOutput"].toString(), root + typedIn + "/typed.pdf");
    QCOMPARE(r["boxes"].toArray().size(), 0);
}

void TestStartup::openWithFiles()
{
    // As a file manager or a shell starts the program: names relative to
    // where it starts, addresses, a folder and a file that has gone.
    const QString docs = m_dir->path() + "/Mes docs/";
    QVERIFY(writeFile(docs + "b.ps", "%!\n"));
    QVERIFY(writeFile(docs + "a.prn", "%!\n"));
    QVERIFY(QDir().mkpath(docs + "sub"));
    m_workingFolder = docs;
    QJsonObject r = run({"--", "b.ps", docs + "gone.ps", "sub", "file://" + docs + "a.prn"});
    QCOMPARE(r["sources"].toArray().toVariantList(), (QVariantList{docs + "b.ps", docs + "a.prn"}));
    QCOMPARE(r["output"].toString(), docs + "b.PDF");
    QCOMPARE(r["page"].toInt(), 2);
    const QJsonArray boxes = r["boxes"].toArray();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.at(0).toString().endsWith("\n" + docs + "gone.ps\n" + docs + "sub"));
    // The rest of the start-up is as without names, and nothing is written.
    QCOMPARE(r["tree"].toString() + '/', m_program);
    QCOMPARE(r["prefFolders"].toArray().size(), 0);
    QCOMPARE(sandboxFiles(), QStringList{m_exeName});

    // Nothing usable: the window starts on its usual page.
    r = run({"--", "gone.ps"});
    QCOMPARE(r["sources"].toArray().size(), 0);
    QCOMPARE(r["output"].toString(), QString());
    QCOMPARE(r["page"].toInt(), 1);
    QCOMPARE(r["boxes"].toArray().size(), 1);
}

void TestStartup::commandLine_data()
{
    // The real program. Without a display it cannot open a window, so a
    // row that must not open one runs without, and one that must opens on
    // the offscreen platform and ends once shown.
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<bool>("window");
    const QString usage = "Usage: folivant [OPTION]... [--] [FILE]...\n";
    const QString refused = "folivant: unknown option \"%1\"\n";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << "" << false;
    QTest::newRow("-h after a file") << QStringList{"a.ps", "-h"} << 0 << usage << "" << false;
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "Folivant 2.0.0\n"
                               << "" << false;
    QTest::newRow("unknown") << QStringList{"-x.ps"} << 2 << "" << refused.arg("-x.ps") << false;
    QTest::newRow("unknown before --help")
        << QStringList{"--verbose", "--help"} << 2 << "" << refused.arg("--verbose") << false;
    QTest::newRow("standard input") << QStringList{"-"} << 2 << "" << refused.arg("-") << false;
    QTest::newRow("Qt's own option")
        << QStringList{"-platform", "offscreen"} << 2 << "" << refused.arg("-platform") << false;
    // The window says once it has been shown.
    QTest::newRow("-- then names") << QStringList{"--", "-x.ps", "--help"} << 0 << "shown\n"
                                   << "" << true;
    QTest::newRow("plain names") << QStringList{"a.ps"} << 0 << "shown\n"
                                 << "" << true;
}

void TestStartup::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(bool, window);
    const QString folivant = qEnvironmentVariable("FOLIVANT_TEST_BIN") + "/folivant";
    QVERIFY2(QFileInfo(folivant).isExecutable(), qPrintable(folivant));
    QVERIFY(writeFile(m_dir->path() + "/-x.ps", "%!\n"));
    QVERIFY(writeFile(m_dir->path() + "/a.ps", "%!\n"));
    // Every name opens, so that no box about a missing file holds the window.
    QVERIFY(writeFile(m_dir->path() + "/--help", "%!\n"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", m_dir->path() + "/config");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", window ? "offscreen" : "xcb");
    if (window)
        env.insert("FOLIVANT_EXIT_WHEN_SHOWN", "1");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir->path());
    p.start(folivant, args);
    QVERIFY(p.waitForFinished(60000));
    const QString stdOut = QString::fromUtf8(p.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    if (!window)
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), qPrintable(stdErr));
    // Refused in two lines at most, the second pointing to the way out.
    if (exitCode == 2)
        QVERIFY(stdErr.count('\n') <= 2 && stdErr.contains("--help"));
}

int main(int argc, char** argv)
{
    if (argc >= 2 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
