// Uninstalling what the installer's steps put in place, per user and
// machine-wide, and refusing to delete anything outside the product's
// folders whatever a log says.

#include "uninstaller/UninstallSteps.h"
#include "uninstaller/UninstallerProgram.h"

#include "SetupSandbox.h"

#include "platform/KnownFolders.h"
#include "platform/Registry.h"
#include "setupkit/InstallVocabulary.h"

#include <QFileInfo>
#include <QWidget>
#include <QtTest>

using namespace setuptest;
using platform::Hive;
using platform::RegistryKey;

class TestUninstallSteps : public QObject
{
    Q_OBJECT

private slots:
    void folderFromArguments_data();
    void folderFromArguments();
    void startQuestion();
    void afterMachineWideInstallation();
    void afterPerUserInstallation();
    void zeroEntries();
    void withoutGroupName();
    void menuFolderReachedThroughALink();
    void onlyOurOwnKey();
    void nothingOutsideTheProductFolders();

private:
    static LogFixture productSpec();
    static uninstaller::Uninstallation fromFolder(const QString& folder);
};

LogFixture TestUninstallSteps::productSpec()
{
    LogFixture fixture;
    fixture.entries = {
        {"prog", "Mon programme", "#!/bin/sh\n", true},
        {"docs\\readme.txt", "EXEC!", "Lisez-moi\n"},
        {"docs\\data.bin", "NEIN!", "data"},
        {"uninst", "DEINST!", "#!/bin/sh\n", true},
        {"Install.log", "NEIN!", {}},
    };
    return fixture;
}

uninstaller::Uninstallation TestUninstallSteps::fromFolder(const QString& folder)
{
    uninstaller::Uninstallation work;
    work.InstallFolder = uninstaller::installFolderFromArguments({folder}, "/unused/");
    if (!setupkit::ReadInstallLog(work.InstallFolder, work.log))
        qWarning("no log in %s", qPrintable(folder));
    return work;
}

void TestUninstallSteps::folderFromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("folder");
    QTest::newRow("none: own folder") << QStringList() << "/opt/Essai/";
    QTest::newRow("empty: own folder") << QStringList{""} << "/opt/Essai/";
    QTest::newRow("with separator") << QStringList{"/srv/Mon \"x\"/"} << "/srv/Mon \"x\"/";
    QTest::newRow("without separator") << QStringList{"/srv/a b"} << "/srv/a b/";
    QTest::newRow("only the first") << QStringList{"/a", "/b"} << "/a/";
    // Given from a shell in the parent folder: the guard only accepts full
    // paths, so a relative one would leave every file in place.
    QTest::newRow("relative") << QStringList{"Essai"} << QDir::currentPath() + "/Essai/";
}

void TestUninstallSteps::folderFromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, folder);
    QCOMPARE(uninstaller::installFolderFromArguments(arguments, "/opt/Essai/"), folder);
}

void TestUninstallSteps::startQuestion()
{
    for (auto answer : {platform::MsgAnswer::Yes, platform::MsgAnswer::No}) {
        MessageRecorder boxes(answer);
        QCOMPARE(uninstaller::askToStart(), answer == platform::MsgAnswer::Yes);
        QCOMPARE(boxes.texts(), QStringList{"Voulez-vous vraiment désinstaller le programme?"});
        QCOMPARE(boxes.boxes[0].caption, QString("Start deinstallation?"));
        QCOMPARE(boxes.boxes[0].buttons, platform::MsgButtons::YesNo);
        QCOMPARE(boxes.boxes[0].owner, nullptr);
    }
}

void TestUninstallSteps::afterMachineWideInstallation()
{
    SetupSandbox box(Scope::Machine);
    testsupport::RecordingOpener opener;
    QVERIFY(writeDistribution(box.path("dist"), productSpec()));
    const QString target = box.root() + "/opt/Essai";
    {
        MessageRecorder boxes;
        ProgressRecorder progress;
        install(box.path("dist"), target, progress);
    }
    const QString group = box.menuFolder() + "Essai Groupe/";
    const QString keyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Essai";
    QVERIFY(RegistryKey::open(Hive::Machine, keyPath, RegistryKey::Access::Read));
    // The user's own things: a file in the product folder, an entry in the
    // product's menu folder; a listed file the user already removed; the
    // settings file the log names as its extra file.
    QVERIFY(testsupport::writeFile(target + "/mine.txt", "mine"));
    QVERIFY(testsupport::writeFile(group + "Mine.desktop", "mine"));
    QVERIFY(QFile::remove(target + "/docs/data.bin"));
    QVERIFY(testsupport::writeFile(target + "/settings.dat", "settings"));
    QVERIFY(RegistryKey::open(Hive::Machine, keyPath + "\\Sub\\Deeper", RegistryKey::Access::Full,
                              true));

    MessageRecorder boxes;
    QWidget progressWindow;
    int shown = 0;
    struct Progress : setupkit::SetupProgress
    {
        int& shown;
        QWidget* owner;
        Progress(int& s, QWidget* o) : shown(s), owner(o) {}
        void showProgressWindow() override { ++shown; }
        QWidget* progressWindow() const override { return owner; }
    } progress(shown, &progressWindow);
    uninstaller::RunUninstallation(fromFolder(target), progress);
    QCOMPARE(shown, 1);
    // Nothing reported on the way: only the final message.
    QCOMPARE(boxes.texts(), QStringList{"La désinstallation est terminée!"});
    QCOMPARE(boxes.boxes[0].caption, QString("Désinstallation terminée"));
    QCOMPARE(boxes.boxes[0].owner, &progressWindow);

    // Folders stay, listed files go, the user's file stays.
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList{"docs", "mine.txt"}));
    QVERIFY(QDir(target + "/docs").isEmpty());
    // The shared uninstaller stays where it is.
    QVERIFY(QFileInfo::exists(box.root() + "/usr/local/lib/setwell/uninst"));
    // Our entries go; the folder stays for the user's entry.
    QCOMPARE(QDir(group).entryList(QDir::Files), QStringList{"Mine.desktop"});
    // Our values go; the key stays for the one below it, which is not ours.
    const auto key = RegistryKey::open(Hive::Machine, keyPath, RegistryKey::Access::Read);
    QVERIFY(key);
    QCOMPARE(key->readString("UninstallString"), std::nullopt);
    QCOMPARE(key->subKeys(), QStringList{"Sub"});
    QVERIFY(platform::deleteKey(Hive::Machine, keyPath + "\\Sub\\Deeper"));
    QVERIFY(platform::deleteKey(Hive::Machine, keyPath + "\\Sub"));

    // Again, with the values and all files already gone: silent once more,
    // and the key left empty goes.
    QVERIFY(QFile::copy(box.path("dist/Install.log"), target + "/Install.log"));
    MessageRecorder again;
    uninstaller::RunUninstallation(fromFolder(target));
    QVERIFY(!RegistryKey::open(Hive::Machine, keyPath, RegistryKey::Access::Read));
    QVERIFY(RegistryKey::open(Hive::Machine,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                              RegistryKey::Access::Read));
    QCOMPARE(again.texts(), QStringList{"La désinstallation est terminée!"});
}

void TestUninstallSteps::afterPerUserInstallation()
{
    SetupSandbox box(Scope::User);
    testsupport::RecordingOpener opener;
    QVERIFY(writeDistribution(box.path("dist"), productSpec()));
    const QString target = box.path("home/.local/share/Essai");
    {
        MessageRecorder boxes;
        ProgressRecorder progress;
        install(box.path("dist"), target, progress);
    }
    const QString group = box.menuFolder() + "Essai Groupe";
    QVERIFY(QFileInfo::exists(group + "/Uninstall.desktop"));

    // Started from its menu entry: no argument, its own folder.
    uninstaller::Uninstallation work;
    work.InstallFolder = uninstaller::installFolderFromArguments({}, target + "/");
    QVERIFY(setupkit::ReadInstallLog(work.InstallFolder, work.log));
    MessageRecorder boxes;
    uninstaller::RunUninstallation(work);
    QCOMPARE(boxes.texts(), QStringList{"La désinstallation est terminée!"});
    QVERIFY(!QFileInfo::exists(group)); // emptied, so removed
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"docs"});
    QVERIFY(QFileInfo(box.menuFolder()).isDir());
}

void TestUninstallSteps::zeroEntries()
{
    SetupSandbox box(Scope::Machine);
    QVERIFY(writeDistribution(box.path("dist"), LogFixture()));
    QVERIFY(QDir().mkpath(box.path("target")));
    QVERIFY(QFile::copy(box.path("dist/Install.log"), box.path("target/Install.log")));
    QVERIFY(QDir().mkpath(box.menuFolder() + "Essai Groupe"));
    MessageRecorder boxes;
    uninstaller::RunUninstallation(fromFolder(box.path("target")));
    QCOMPARE(boxes.texts(), QStringList{"La désinstallation est terminée!"});
    QVERIFY(!QFileInfo::exists(box.menuFolder() + "Essai Groupe"));
    QVERIFY(QFileInfo::exists(box.path("target/Install.log"))); // not listed, so kept
}

void TestUninstallSteps::withoutGroupName()
{
    // No group: the entries go straight into the menu folder and leave it
    // again; the menu folder itself and the user's entries stay.
    SetupSandbox box(Scope::User);
    LogFixture fixture;
    fixture.group = "";
    fixture.entries = {{"prog", "Essai", "#!/bin/sh\n", true},
                       {"uninst", "DEINST!", "#!/bin/sh\n", true},
                       {"Install.log", "NEIN!", {}}};
    QVERIFY(writeDistribution(box.path("dist"), fixture));
    QVERIFY(testsupport::writeFile(box.menuFolder() + "Autre.desktop", "mine"));
    const QString target = box.path("target");
    MessageRecorder boxes;
    ProgressRecorder progress;
    install(box.path("dist"), target, progress);
    QCOMPARE(boxes.texts(), QStringList{"L'installation est terminée!"});
    QCOMPARE(QDir(box.menuFolder()).entryList(QDir::Files),
             (QStringList{"Autre.desktop", "Essai.desktop", "Uninstall.desktop"}));

    uninstaller::RunUninstallation(fromFolder(target));
    QCOMPARE(QDir(box.menuFolder()).entryList(QDir::Files), QStringList{"Autre.desktop"});
}

void TestUninstallSteps::menuFolderReachedThroughALink()
{
    // A group name may lead through a linked folder of the menu to some
    // other place: nothing there is the product's to delete.
    SetupSandbox box(Scope::User);
    const QString outside = box.path("outside/");
    QVERIFY(testsupport::writeFile(outside + "Groupe/Victim.desktop", "keep"));
    QVERIFY(QDir().mkpath(box.menuFolder()));
    QVERIFY(QFile::link(outside, box.menuFolder() + "Lien"));
    uninstaller::Uninstallation work;
    work.InstallFolder = box.path("target/");
    work.log.GroupName = "Lien\\Groupe";
    work.log.EntryCount = 1;
    work.log.Entries[0] = {"victim.txt", "Victim"};
    MessageRecorder boxes;
    uninstaller::RunUninstallation(work);
    QVERIFY(QFileInfo::exists(outside + "Groupe/Victim.desktop"));
}

void TestUninstallSteps::onlyOurOwnKey()
{
    SetupSandbox box(Scope::Machine);
    const QString base = QString::fromLatin1(setupkit::UninstallKeyBase);
    const auto registered = [&](const QByteArray& folderName) {
        const auto key = RegistryKey::open(Hive::Machine, base + QString::fromLatin1(folderName),
                                           RegistryKey::Access::Full, true);
        return key && key->writeString("DisplayName", "x") &&
               key->writeString("UninstallString", "y");
    };
    const auto exists = [&](const QString& keyPath) {
        return bool(RegistryKey::open(Hive::Machine, base + keyPath, RegistryKey::Access::Read));
    };
    QVERIFY(registered("K"));
    QVERIFY(registered("K\\Sub"));
    QVERIFY(registered("Keep"));
    setupkit::InstallLog log;
    log.FolderName = "K";
    QVERIFY(uninstaller::DeleteUninstallKey(log));
    QVERIFY(exists("K\\Sub"));
    QCOMPARE(RegistryKey::open(Hive::Machine, base + "K", RegistryKey::Access::Read)
                 ->readString("DisplayName"),
             std::nullopt);
    // The last product out takes the empty keys above its own, no more.
    log.FolderName = "K\\Sub";
    QVERIFY(uninstaller::DeleteUninstallKey(log));
    QVERIFY(!exists("K"));
    QVERIFY(exists("Keep"));
    QVERIFY(RegistryKey::open(Hive::Machine, base.chopped(1), RegistryKey::Access::Read));
    // A value of someone else's keeps the key too.
    const auto other = RegistryKey::open(Hive::Machine, base + "Keep", RegistryKey::Access::Full);
    QVERIFY(other && other->writeString("Publisher", "z"));
    log.FolderName = "Keep";
    QVERIFY(uninstaller::DeleteUninstallKey(log));
    QCOMPARE(other->readString("Publisher"), QString("z"));
    // A key path that climbs out is refused, not followed.
    for (const QByteArray folderName : {"Keep\\..\\..", "Keep\\", ""}) {
        log.FolderName = folderName;
        QVERIFY(!uninstaller::DeleteUninstallKey(log));
    }
    QVERIFY(exists("Keep"));
    // A subkey that is a link to another folder: what it leads to stays.
    const QString outside = box.path("outside");
    QVERIFY(testsupport::writeFile(outside + "/Deep/Value", "keep"));
    QVERIFY(registered("L"));
    QVERIFY(QFile::link(
        outside,
        RegistryKey::open(Hive::Machine, base + "L", RegistryKey::Access::Read)->folder() + "Sub"));
    log.FolderName = "L";
    uninstaller::DeleteUninstallKey(log);
    QCOMPARE(testsupport::readFile(outside + "/Deep/Value"), QByteArray("keep"));
}

void TestUninstallSteps::nothingOutsideTheProductFolders()
{
    // A log made by hand, past the reader's checks: every path it names
    // that leads out of the product's folders must be left alone.
    SetupSandbox box(Scope::Machine);
    const QString target = box.path("target/");
    const QString outside = box.path("outside/");
    QVERIFY(testsupport::writeFile(outside + "victim", "keep"));
    QVERIFY(testsupport::writeFile(outside + "Victim.desktop", "keep"));
    QVERIFY(testsupport::writeFile(target + "real.txt", "listed"));
    QVERIFY(QFile::link(outside, target + "link"));
    QVERIFY(QFile::link(outside + "victim", target + "alias"));
    QVERIFY(QDir().mkpath(box.menuFolder()));
    QVERIFY(testsupport::writeFile(box.menuFolder() + "Other.desktop", "keep"));
    QVERIFY(RegistryKey::open(Hive::Machine,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other",
                              RegistryKey::Access::Full, true));

    uninstaller::Uninstallation work;
    work.InstallFolder = target;
    setupkit::InstallLog& log = work.log;
    log.FolderName = ""; // would name the whole uninstall key
    log.GroupName = "..";
    log.ExtraFileName = "../outside/victim";
    const QList<QPair<QByteArray, QByteArray>> entries{
        {"../outside/victim", "NEIN!"},
        {"link/victim", "NEIN!"},
        {"link\\victim", "../../../outside/Victim"},
        {"alias", "NEIN!"},
        {"real.txt", "NEIN!"},
    };
    log.EntryCount = quint16(entries.size());
    for (int i = 0; i < entries.size(); ++i)
        log.Entries[size_t(i)] = {entries[i].first, entries[i].second};

    MessageRecorder boxes;
    uninstaller::RunUninstallation(work);
    QCOMPARE(testsupport::readFile(outside + "victim"), QByteArray("keep"));
    QCOMPARE(testsupport::readFile(outside + "Victim.desktop"), QByteArray("keep"));
    QVERIFY(QFileInfo::exists(box.menuFolder() + "Other.desktop"));
    QVERIFY(RegistryKey::open(Hive::Machine,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other",
                              RegistryKey::Access::Read));
    // A link inside the folder is the product's own: it goes, not its target.
    QVERIFY(!QFileInfo(target + "alias").isSymLink());
    QVERIFY(!QFileInfo::exists(target + "real.txt"));

    QVERIFY(setupkit::isInsideFolder(target + "a/../b", target));
    QVERIFY(!setupkit::isInsideFolder(target + "../target2/x", target));
    QVERIFY(!setupkit::isInsideFolder(target + "..", target));
    QVERIFY(!setupkit::isInsideFolder("relative", target));
}

QTEST_MAIN(TestUninstallSteps)
#include "tst_uninstallsteps.moc"
