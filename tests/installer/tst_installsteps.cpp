// The installation run end to end in a sandbox, machine-wide and per user:
// copies, menu entries, registration, opened files and every message.

#include "SetupSandbox.h"

#include "installer/InstallerProgram.h"

#include "platform/KnownFolders.h"
#include "platform/Registry.h"

#include <QFileInfo>
#include <QWidget>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace setuptest;
using testsupport::readFile;

static const QString IncompleteText =
    "L'installation est terminée, mais des fichiers n'ont pas été copiés!";

class TestInstallSteps : public QObject
{
    Q_OBJECT

private slots:
    void defaultBaseFolder();
    void proposedFolder();
    void folderFieldsAreChecked_data();
    void folderFieldsAreChecked();
    void machineWide();
    void perUser();
    void failedCopiesDoNotStopTheRest();
    void fullDiskShowsTheFailure();
    void missingParentFailsEveryCopy();
    void zeroEntries();
    void installingOverTheDistribution();
    void unusableMenuFolderIsReported();
    void failedRegistrationIsReported();

private:
    static LogFixture productSpec();
    static QString copyError(const QString& source, const QString& destination);
};

LogFixture TestInstallSteps::productSpec()
{
    LogFixture fixture;
    fixture.entries = {
        {"prog", "Mon programme é", "#!/bin/sh\necho prog\n", true},
        {"docs\\readme.txt", "EXEC!", "Lisez-moi\n"},
        {"docs\\data.bin", "NEIN!", QByteArray(70000, '\xA5')},
        // Records its arguments, so the registered command can be run.
        {"uninst", "DEINST!", "#!/bin/sh\nfor a; do printf '%s\\n' \"$a\"; done > \"$0.args\"\n",
         true},
        {"Install.log", "NEIN!", {}},
    };
    return fixture;
}

QString TestInstallSteps::copyError(const QString& source, const QString& destination)
{
    return "Erreur pendant la copie du fichier \r\n" + source + "\r\n vers \r\n" + destination +
           " !";
}

void TestInstallSteps::defaultBaseFolder()
{
    {
        SetupSandbox box(Scope::Machine);
        const auto base = installer::DefaultBaseFolder();
        QCOMPARE(base.folder, box.root() + "/opt/");
        QVERIFY(!base.perUser);
    }
    SetupSandbox box(Scope::User);
    const auto base = installer::DefaultBaseFolder();
    QCOMPARE(base.folder, box.path("home/.local/share/"));
    QVERIFY(base.perUser);
}

void TestInstallSteps::proposedFolder()
{
    setupkit::InstallLog log;
    log.FolderName = "Quorvex\\Folivant";
    QCOMPARE(installer::proposedInstallFolder("/opt", log), QString("/opt/Quorvex/Folivant"));
    // A folder picked in the browser, a root included, gets one separator.
    QCOMPARE(installer::proposedInstallFolder("/", log), QString("/Quorvex/Folivant"));
    QCOMPARE(installer::proposedInstallFolder("/srv/", log), QString("/srv/Quorvex/Folivant"));
    // Cut to what the field holds.
    log.FolderName = QByteArray(setupkit::MaxShownText, 'F');
    QCOMPARE(installer::proposedInstallFolder("/opt/", log),
             "/opt/" + QString(setupkit::MaxShownText - 5, 'F'));
}

void TestInstallSteps::folderFieldsAreChecked_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    const QString noSource = "Veuillez indiquer le chemin complet du répertoire source!";
    const QString noTarget = "Veuillez indiquer le chemin complet du répertoire d'installation!";
    QTest::newRow("both given") << "/media/dist"
                                << "/opt/Essai" << QString();
    QTest::newRow("empty target") << "/media/dist"
                                  << "" << noTarget;
    QTest::newRow("blank target") << "/media/dist"
                                  << "   " << noTarget;
    QTest::newRow("relative target") << "/media/dist"
                                     << "Essai" << noTarget;
    QTest::newRow("empty source") << ""
                                  << "/opt/Essai" << noSource;
}

void TestInstallSteps::folderFieldsAreChecked()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, message);
    MessageRecorder boxes;
    QWidget mainWindow;
    QCOMPARE(installer::acceptFolderFields(source, target, &mainWindow), message.isEmpty());
    QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty())
        QCOMPARE(boxes.boxes[0].owner, &mainWindow);
}

void TestInstallSteps::machineWide()
{
    SetupSandbox box(Scope::Machine);
    testsupport::RecordingOpener opener;
    const QString dist = box.path("dist");
    QVERIFY(writeDistribution(dist, productSpec()));
    // Blanks, quotes and shell characters must survive the registered command.
    const QString target = box.root() + "/opt/Mon \"Essai\" $HOME `x`";
    QVERIFY(testsupport::writeFile(target + "/prog", "older and longer content"));

    MessageRecorder boxes;
    ProgressRecorder progress;
    QWidget progressWindow;
    progress.owner = &progressWindow;
    const auto work = install(dist, target, progress);
    QVERIFY(!work.PerUserInstall);
    QCOMPARE(work.InstallFolder, target + "/");

    // Copies, the existing file replaced, modes kept for the program.
    QCOMPARE(readFile(target + "/prog"), QByteArray("#!/bin/sh\necho prog\n"));
    QVERIFY(QFileInfo(target + "/prog").isExecutable());
    QCOMPARE(readFile(target + "/docs/readme.txt"), QByteArray("Lisez-moi\n"));
    QCOMPARE(readFile(target + "/docs/data.bin"), QByteArray(70000, '\xA5'));
    QCOMPARE(readFile(target + "/Install.log"), readFile(dist + "/Install.log"));
    // The uninstaller goes to the shared setup folder only.
    const QString windows = box.root() + "/usr/local/lib/setwell/";
    QVERIFY(QFileInfo(windows + "uninst").isExecutable());
    QVERIFY(!QFileInfo::exists(target + "/uninst"));

    // One progress text per copy, in order, each with the wait cursor.
    QCOMPARE(progress.texts.size(), 5);
    QCOMPARE(progress.texts[1],
             "Copier " + dist + "/docs/readme.txt\r vers \r" + target + "/docs/readme.txt...");
    QCOMPARE(progress.texts[3], "Copier " + dist + "/uninst\r vers \r" + windows + "uninst...");
    QCOMPARE(progress.events.first(), QString("show"));
    QCOMPARE(progress.events.count("wait"), 5);
    QCOMPARE(progress.events.last(), QString("arrow"));

    // The registration, and its command as a shell runs it.
    const auto key = platform::RegistryKey::open(
        platform::Hive::Machine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Essai",
        platform::RegistryKey::Access::Read);
    QVERIFY(key);
    QCOMPARE(key->readString("DisplayName").value_or("?"), QString("Essai"));
    const QString command = key->readString("UninstallString").value_or("?");
    QCOMPARE(QProcess::execute("/bin/sh", {"-c", command}), 0);
    QCOMPARE(readFile(windows + "uninst.args"), QFile::encodeName(target + "/\n"));

    // Menu entries: a program, a document, none for NEIN! and DEINST!.
    const QString group = box.menuFolder() + "Essai Groupe/";
    QCOMPARE(QDir(group).entryList(QDir::Files),
             (QStringList{"EXEC!.desktop", "Mon programme é.desktop"}));
    QCOMPARE(execArguments(group + "Mon programme é.desktop"), QStringList{target + "/prog"});
    QCOMPARE(execArguments(group + "EXEC!.desktop"),
             (QStringList{"xdg-open", target + "/docs/readme.txt"}));
    QCOMPARE(desktopValue(group + "Mon programme é.desktop", "Name"), QString("Mon programme é"));
    // No pictures of their own: the theme's pictures of a program and a text.
    QCOMPARE(desktopValue(group + "Mon programme é.desktop", "Icon"),
             QString("application-x-executable"));
    QCOMPARE(desktopValue(group + "EXEC!.desktop", "Icon"), QString("text-x-generic"));
    QCOMPARE(desktopValue(group + "EXEC!.desktop", "Categories"), QString("Utility;"));
    for (const QString& entry : QDir(group).entryList(QDir::Files))
        QCOMPARE(validationErrors(group + entry), QString());

    // The EXEC! file is opened, once; then only the final message shows.
    QCOMPARE(opener.calls(1), QStringList{target + "/docs/readme.txt"});
    QCOMPARE(boxes.texts(), QStringList{"L'installation est terminée!"});
    QCOMPARE(boxes.boxes[0].caption, QString("Installation terminée"));
    QCOMPARE(boxes.boxes[0].owner, &progressWindow);
    QVERIFY(boxes.boxes[0].taskModal);
}

void TestInstallSteps::perUser()
{
    SetupSandbox box(Scope::User);
    testsupport::RecordingOpener opener;
    const QString dist = box.path("dist");
    QVERIFY(writeDistribution(dist, productSpec()));
    const auto base = installer::DefaultBaseFolder();
    setupkit::InstallLog log;
    QVERIFY(setupkit::ReadInstallLog(dist + "/", log));
    const QString target = installer::proposedInstallFolder(base.folder, log);
    QCOMPARE(target, box.path("home/.local/share/Essai"));

    MessageRecorder boxes;
    ProgressRecorder progress;
    const auto work = install(dist, target, progress);
    QVERIFY(work.PerUserInstall);

    // The uninstaller stays with the product and gets a menu entry instead
    // of a registration.
    QVERIFY(QFileInfo(target + "/uninst").isExecutable());
    QVERIFY(!QFileInfo::exists(box.path("blocked")) || QFileInfo(box.path("blocked")).isFile());
    QVERIFY(!platform::RegistryKey::open(platform::Hive::Machine, "SOFTWARE",
                                         platform::RegistryKey::Access::Read));
    const QString group = box.menuFolder() + "Essai Groupe/";
    QCOMPARE(QDir(group).entryList(QDir::Files),
             (QStringList{"EXEC!.desktop", "Mon programme é.desktop", "Uninstall.desktop"}));
    QCOMPARE(execArguments(group + "Uninstall.desktop"), QStringList{target + "/uninst"});
    QCOMPARE(desktopValue(group + "Uninstall.desktop", "Icon"), QString("system-software-install"));
    QCOMPARE(desktopValue(group + "Uninstall.desktop", "Categories"), QString("System;"));
    QCOMPARE(validationErrors(group + "Uninstall.desktop"), QString());
    QCOMPARE(opener.calls(1), QStringList{target + "/docs/readme.txt"});
    QCOMPARE(boxes.texts(), QStringList{"L'installation est terminée!"});
}

void TestInstallSteps::failedCopiesDoNotStopTheRest()
{
    SetupSandbox box(Scope::User);
    testsupport::RecordingOpener opener;
    LogFixture fixture;
    fixture.entries = {
        // Its copy fails, so the older version there is neither offered nor opened.
        {"gone.txt", "EXEC!", "x", false, false},
        // Two levels: only the last one is made, so its parent is missing.
        {"deep\\er\\file.txt", "Fichier profond", "deep"},
        {"sub\\file.txt", "NEIN!", "sub"},
        {"sub\\inner\\file.txt", "NEIN!", "inner"}, // works: sub exists now
        {"lisez-moi.txt", "Lisez-moi", "lisez"},
    };
    const QString dist = box.path("dist");
    QVERIFY(writeDistribution(dist, fixture));
    const QString target = box.path("target");
    QVERIFY(testsupport::writeFile(target + "/gone.txt", "older version"));

    MessageRecorder boxes;
    ProgressRecorder progress;
    install(dist, target, progress);
    QCOMPARE(boxes.texts(),
             (QStringList{copyError(dist + "/gone.txt", target + "/gone.txt"),
                          copyError(dist + "/deep/er/file.txt", target + "/deep/er/file.txt"),
                          IncompleteText}));
    QCOMPARE(boxes.boxes[0].caption, QString()); // the default caption
    QVERIFY(boxes.boxes[0].taskModal);
    QCOMPARE(boxes.boxes[0].owner, nullptr);
    QCOMPARE(readFile(target + "/sub/inner/file.txt"), QByteArray("inner"));
    QCOMPARE(progress.exitCode, 1);
    // A menu entry would lead nowhere, or to the older version.
    QCOMPARE(QDir(box.menuFolder() + "Essai Groupe").entryList(QDir::Files),
             QStringList{"Lisez-moi.desktop"});
    QCOMPARE(opener.calls(1, 300), QStringList());
}

void TestInstallSteps::fullDiskShowsTheFailure()
{
    SetupSandbox box(Scope::Machine);
    testsupport::RecordingOpener opener;
    LogFixture fixture;
    fixture.entries = {
        {"prog", "Programme", QByteArray(70000, 'p'), true},
        {"small.txt", "Petit", "s"},
        {"manual.txt", "EXEC!", QByteArray(70000, 'm')},
        {"uninst", "DEINST!", QByteArray(70000, 'u'), true},
    };
    const QString dist = box.path("dist");
    QVERIFY(writeDistribution(dist, fixture));
    const QString target = box.root() + "/opt/Essai";
    // The older version of one file must survive the failed update.
    QVERIFY(testsupport::writeFile(target + "/prog", "old version"));

    // No room for more than 20000 bytes in any file: a disk that fills up.
    struct rlimit old;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 20000;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    MessageRecorder boxes;
    ProgressRecorder progress;
    install(dist, target, progress);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    const QString windows = box.root() + "/usr/local/lib/setwell/";
    QCOMPARE(boxes.texts(),
             (QStringList{copyError(dist + "/prog", target + "/prog"),
                          copyError(dist + "/manual.txt", target + "/manual.txt"),
                          copyError(dist + "/uninst", windows + "uninst"), IncompleteText}));
    QCOMPARE(progress.exitCode, 1);
    // No cut file anywhere, and the old version untouched.
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"prog", "small.txt"}));
    QCOMPARE(readFile(target + "/prog"), QByteArray("old version"));
    QCOMPARE(QDir(windows).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    // Only what was copied is offered, opened or registered.
    QCOMPARE(QDir(box.menuFolder() + "Essai Groupe").entryList(QDir::Files),
             QStringList{"Petit.desktop"});
    QCOMPARE(opener.calls(0, 300), QStringList());
    QVERIFY(!platform::RegistryKey::open(
        platform::Hive::Machine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Essai",
        platform::RegistryKey::Access::Read));
}

void TestInstallSteps::missingParentFailsEveryCopy()
{
    SetupSandbox box(Scope::User);
    LogFixture fixture;
    fixture.entries = {{"a.txt", "NEIN!", "a"}, {"b.txt", "NEIN!", "b"}};
    QVERIFY(writeDistribution(box.path("dist"), fixture));
    MessageRecorder boxes;
    ProgressRecorder progress;
    install(box.path("dist"), box.path("no/such/target"), progress);
    QCOMPARE(boxes.texts().size(), 3);
    QVERIFY(boxes.texts()[1].startsWith("Erreur pendant la copie du fichier \r\n" +
                                        box.path("dist/b.txt")));
}

void TestInstallSteps::zeroEntries()
{
    SetupSandbox box(Scope::Machine);
    QVERIFY(writeDistribution(box.path("dist"), LogFixture()));
    MessageRecorder boxes;
    ProgressRecorder progress;
    const QString target = box.root() + "/opt/Essai/"; // typed with its separator
    install(box.path("dist"), target, progress);
    QVERIFY(QFileInfo(target).isDir());
    QVERIFY(QFileInfo(box.menuFolder() + "Essai Groupe").isDir());
    QCOMPARE(boxes.texts(), QStringList{"L'installation est terminée!"});
    QCOMPARE(progress.events, QStringList{"show"});
}

void TestInstallSteps::installingOverTheDistribution()
{
    // The folder picked is the distribution's own parent, so the proposed
    // folder is the distribution itself: it must come out whole.
    SetupSandbox box(Scope::User);
    testsupport::RecordingOpener opener;
    const LogFixture fixture = productSpec();
    const QString dist = box.path("Essai");
    QVERIFY(writeDistribution(dist, fixture));
    const QByteArray log = readFile(dist + "/Install.log");
    MessageRecorder boxes;
    ProgressRecorder progress;
    setupkit::InstallLog parsed;
    QVERIFY(setupkit::ReadInstallLog(dist + "/", parsed));
    install(dist, installer::proposedInstallFolder(box.path(), parsed), progress);
    QCOMPARE(boxes.texts(), QStringList{"L'installation est terminée!"});
    for (const LogEntry& entry : fixture.entries)
        if (entry.fileName != "Install.log")
            QCOMPARE(readFile(dist + "/" + QString(entry.fileName).replace('\\', '/')),
                     entry.content);
    QCOMPARE(readFile(dist + "/Install.log"), log);
}

void TestInstallSteps::unusableMenuFolderIsReported()
{
    SetupSandbox box(Scope::User);
    testsupport::RecordingOpener opener;
    LogFixture fixture;
    fixture.entries = {{"doc.txt", "EXEC!", "doc"}};
    QVERIFY(writeDistribution(box.path("dist"), fixture));
    QVERIFY(testsupport::writeFile(box.menuFolder().chopped(1), "a file, not a folder"));

    MessageRecorder boxes;
    ProgressRecorder progress;
    QWidget progressWindow;
    progress.owner = &progressWindow;
    install(box.path("dist"), box.path("target"), progress);
    QCOMPARE(boxes.texts().size(), 2);
    QVERIFY(boxes.texts()[0].startsWith("Le dossier du menu Démarrer "));
    QCOMPARE(boxes.boxes[0].owner, &progressWindow);
    // The rest of the work still happens.
    QCOMPARE(opener.calls(1), QStringList{box.path("target/doc.txt")});
    QCOMPARE(boxes.texts()[1], QString("L'installation est terminée!"));

    // No home folder at all: there is no menu folder to find, and nothing
    // may land in the current folder instead.
    qunsetenv("HOME");
    qunsetenv("XDG_DATA_HOME");
    boxes.boxes.clear();
    install(box.path("dist"), box.path("target2"), progress);
    QCOMPARE(boxes.texts(),
             (QStringList{"Le dossier du menu Démarrer est introuvable! Les raccourcis du "
                          "programme ne sont pas créés.",
                          "L'installation est terminée!"}));
    QVERIFY(QFileInfo::exists(box.path("target2/doc.txt")));
    QVERIFY(!QFileInfo::exists("EXEC!.desktop"));
}

void TestInstallSteps::failedRegistrationIsReported()
{
    SetupSandbox box(Scope::Machine);
    LogFixture fixture;
    fixture.entries = {{"uninst", "DEINST!", "u", true}, {"Install.log", "NEIN!", {}}};
    QVERIFY(writeDistribution(box.path("dist"), fixture));
    installer::Installer work;
    QVERIFY(setupkit::ReadInstallLog(box.path("dist/"), work.log));
    work.WindowsFolder = platform::windowsFolder();
    // Rights were there at start-up; then the registry's place is taken by
    // a file and the key cannot be written.
    QVERIFY(testsupport::writeFile(box.root() + "/var/lib/setwell/registry", "x"));
    MessageRecorder boxes;
    ProgressRecorder progress;
    installer::RunInstallation(work, box.path("dist"), box.root() + "/opt/Essai", progress);
    QCOMPARE(boxes.texts(),
             (QStringList{"La désinstallation de Essai ne peut pas être enregistrée!",
                          "L'installation est terminée!"}));
    QVERIFY(QFileInfo::exists(box.root() + "/usr/local/lib/setwell/uninst"));
}

QTEST_MAIN(TestInstallSteps)
#include "tst_installsteps.moc"
