// Both programs with their real windows: fields, "Suivant >", the checks
// before the work, the refused log, the registered command reaching the
// uninstaller with its folder whole, their icon and French boxes, and what
// they leave of a user's files and of other products.

#include "installer/InstallerProgram.h"
#include "uninstaller/UninstallSteps.h"
#include "uninstaller/UninstallerProgram.h"

#include "SetupSandbox.h"

#include "platform/Registry.h"
#include "setupkit/InstallVocabulary.h"
#include "setupkit/SetupApplication.h"
#include "setupkit/SetupWindow.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace setuptest;
using platform::Hive;
using platform::RegistryKey;
using testsupport::readFile;

// One way to meet the setup programs: a sandbox, what is planted there, the
// programs run, what must hold afterwards.
using Trial = std::function<void()>;
Q_DECLARE_METATYPE(Trial)

// A process standing for a killed uninstaller sets this: it dies as by
// kill -9 when it comes to remove a name that ends so. Every removal of a
// file by name, Qt's included, comes through here.
static const char* g_dieAtRemovalOf = nullptr;

extern "C" int unlink(const char* path)
{
    if (g_dieAtRemovalOf && QByteArray(path).endsWith(g_dieAtRemovalOf))
        ::raise(SIGKILL);
    return int(::syscall(SYS_unlink, path));
}

class TestSetupPrograms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installThenUninstall();
    void emptyFolderKeepsTheMainWindow();
    void failedCopyEndsWithAnError();
    void refusedLog();
    void boxesSpeakFrench_data();
    void boxesSpeakFrench();
    void onlyWhatItMade_data();
    void onlyWhatItMade();

private:
    static LogFixture productSpec();
};

// Runs `steps` once the program's window is up.
static void whenShown(std::function<void()> steps)
{
    QTimer::singleShot(0, [steps] { steps(); });
}

void TestSetupPrograms::initTestCase()
{
    // What both programs' main does before anything shows.
    setupkit::prepareSetupApplication(*qApp);
}

LogFixture TestSetupPrograms::productSpec()
{
    LogFixture fixture;
    fixture.product = "Produit d'essai";
    fixture.entries = {
        {"prog", "Essai", "#!/bin/sh\n", true},
        {"sub\\doc.txt", "NEIN!", "doc"},
        // Records where it was asked to uninstall from.
        {"uninst", "DEINST!", "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.arg\"\n", true},
        {"Install.log", "NEIN!", {}},
    };
    return fixture;
}

void TestSetupPrograms::installThenUninstall()
{
    SetupSandbox box(Scope::Machine);
    const QString dist = box.path("dist");
    QVERIFY(writeDistribution(dist, productSpec()));
    const QString target = box.root() + "/opt/Mon \"Essai\" 2";

    MessageRecorder boxes;
    QStringList fields;
    QIcon icon;
    whenShown([&] {
        const setupkit::SetupHandles& h = setupkit::handles();
        icon = h.mainWindow->windowIcon();
        fields << h.firstFolderField->text() << h.secondFolderField->text();
        h.secondFolderField->setText(target); // typed without a separator
        h.nextButton->click();
    });
    QCOMPARE(installer::RunInstallerProgram(dist + "/"), 0);
    QVERIFY(!icon.pixmap(32).isNull()); // Setwell's own
    QCOMPARE(fields, (QStringList{dist + "/", box.root() + "/opt/Essai"}));
    QCOMPARE(boxes.texts(), QStringList{"L'installation est terminée!"});
    QCOMPARE(testsupport::readFile(target + "/sub/doc.txt"), QByteArray("doc"));

    // The registered command, run by a shell, hands over the folder whole.
    const auto key = platform::RegistryKey::open(
        platform::Hive::Machine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Essai",
        platform::RegistryKey::Access::Read);
    QVERIFY(key);
    QCOMPARE(QProcess::execute("/bin/sh", {"-c", key->readString("UninstallString").value()}), 0);
    const QString handedOver =
        QFile::decodeName(testsupport::readFile(box.root() + "/usr/local/lib/setwell/uninst.arg"));
    QCOMPARE(handedOver, target + "/");

    // First "No" to the start question changes nothing, then "Yes".
    boxes.boxes.clear();
    QString shownFolder;
    bool keptAfterNo = false;
    whenShown([&] {
        const setupkit::SetupHandles& h = setupkit::handles();
        shownFolder = h.firstFolderField->text();
        platform::setMessageHandler([&](const platform::MessageRequest& r) {
            boxes.boxes.append(r);
            return platform::MsgAnswer::No;
        });
        h.nextButton->click();
        keptAfterNo = QFileInfo::exists(target + "/prog") && h.mainWindow->isVisible();
        platform::setMessageHandler([&](const platform::MessageRequest& r) {
            boxes.boxes.append(r);
            return platform::MsgAnswer::Yes;
        });
        h.nextButton->click();
    });
    QCOMPARE(uninstaller::RunUninstallerProgram({handedOver}, "/elsewhere/"), 0);
    QCOMPARE(shownFolder, target + "/");
    QVERIFY(keptAfterNo);
    QCOMPARE(boxes.texts(), (QStringList{"Voulez-vous vraiment désinstaller le programme?",
                                         "Voulez-vous vraiment désinstaller le programme?",
                                         "La désinstallation est terminée!"}));
    QVERIFY(!QFileInfo::exists(target + "/prog"));
    QVERIFY(!QFileInfo::exists(target + "/sub/doc.txt"));
    QVERIFY(!QFileInfo::exists(box.menuFolder() + "Essai Groupe"));
}

void TestSetupPrograms::emptyFolderKeepsTheMainWindow()
{
    SetupSandbox box(Scope::User);
    QVERIFY(writeDistribution(box.path("dist"), productSpec()));
    MessageRecorder boxes(platform::MsgAnswer::Yes);
    bool stayed = false;
    whenShown([&] {
        const setupkit::SetupHandles& h = setupkit::handles();
        h.secondFolderField->setText("");
        h.nextButton->click();
        stayed = h.mainWindow->isVisible() && !h.progressWindow;
        h.cancelButton->click(); // the quit question, answered Yes
    });
    QCOMPARE(installer::RunInstallerProgram(box.path("dist/")), 0);
    QVERIFY(stayed);
    QCOMPARE(boxes.texts(),
             (QStringList{"Veuillez indiquer le chemin complet du répertoire d'installation!",
                          "Voulez-vous vraiment quitter le programme?"}));
    QVERIFY(!QFileInfo::exists(box.path("home/.local/share/Essai")));
}

void TestSetupPrograms::failedCopyEndsWithAnError()
{
    SetupSandbox box(Scope::User);
    LogFixture fixture = productSpec();
    fixture.entries[1].inDistribution = false;
    QVERIFY(writeDistribution(box.path("dist"), fixture));
    MessageRecorder boxes;
    whenShown([] { setupkit::handles().nextButton->click(); });
    // Scripts that run the installer learn of the failure too.
    QCOMPARE(installer::RunInstallerProgram(box.path("dist/")), 1);
    QCOMPARE(boxes.texts().size(), 2);
    QCOMPARE(boxes.texts().last(),
             QString("L'installation est terminée, mais des fichiers n'ont pas été copiés!"));
}

void TestSetupPrograms::refusedLog()
{
    SetupSandbox box(Scope::User);
    QVERIFY(testsupport::writeFile(box.path("dist/Install.log"), "not a log\r\n"));
    MessageRecorder boxes;
    const auto setupWindows = [] {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            count += qobject_cast<setupkit::SetupWindow*>(widget) ? 1 : 0;
        return count;
    };
    const int windowsBefore = setupWindows();
    QCOMPARE(installer::RunInstallerProgram(box.path("dist/")), 0);
    QCOMPARE(uninstaller::RunUninstallerProgram({box.path("dist")}, "/"), 0);
    QCOMPARE(boxes.texts(),
             (QStringList{"Le fichier Install.log est corrompu! Impossible d'installer!",
                          "Le fichier Install.log est corrompu! Impossible de désinstaller!"}));
    QCOMPARE(boxes.boxes[0].caption, QString("Installation annulée!"));
    QCOMPARE(boxes.boxes[1].caption, QString("Désinstallation annulée!"));
    QCOMPARE(setupWindows(), windowsBefore);
}

void TestSetupPrograms::boxesSpeakFrench_data()
{
    QTest::addColumn<platform::MsgButtons>("buttons");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("final message") << platform::MsgButtons::Ok << QStringList{"OK"};
    QTest::newRow("quit question") << platform::MsgButtons::YesNo << QStringList{"Non", "Oui"};
}

void TestSetupPrograms::boxesSpeakFrench()
{
    QFETCH(platform::MsgButtons, buttons);
    QFETCH(QStringList, texts);
    // The real box, read and then closed once it shows.
    QStringList shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        for (QAbstractButton* button : box->buttons())
            shown << button->text().remove('&');
        box->reject();
    });
    poll.start(10);
    platform::MessageRequest request;
    request.text = "Voulez-vous vraiment quitter le programme?";
    request.buttons = buttons;
    platform::showMessage(request);
    shown.sort();
    QCOMPARE(shown, texts);
}

// setwell-install from `dist`, "Suivant >" pressed with `target` in the
// second field, or with the folder it proposes.
static int runInstaller(const QString& dist, const QString& target = QString())
{
    // A click never made, the program having ended first, goes with it.
    QObject pending;
    QTimer::singleShot(0, &pending, [target] {
        const setupkit::SetupHandles& h = setupkit::handles();
        if (!target.isEmpty())
            h.secondFolderField->setText(target);
        h.nextButton->click();
    });
    return installer::RunInstallerProgram(dist + "/");
}

// setwell-uninstall started for `folder`; the start question is answered by
// whoever answers the boxes.
static int runUninstaller(const QString& folder)
{
    QObject pending;
    QTimer::singleShot(0, &pending, [] { setupkit::handles().nextButton->click(); });
    return uninstaller::RunUninstallerProgram({folder}, "/elsewhere/");
}

static QString uninstallKey(const QString& folderName)
{
    return QString::fromLatin1(setupkit::UninstallKeyBase) + folderName;
}

// The value's text, "-" when the key or the value is missing.
static QString uninstallValue(const QString& folderName, const QString& name)
{
    const auto key =
        RegistryKey::open(Hive::Machine, uninstallKey(folderName), RegistryKey::Access::Read);
    return key ? key->readString(name).value_or("-") : QString("-");
}

static mode_t modeOf(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Hidden names in `folder` that start with `prefix`.
static QStringList hiddenNames(const QString& folder, const QString& prefix)
{
    QStringList names;
    for (const QString& name :
         QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
        if (name.startsWith(prefix))
            names << name;
    return names;
}

// Runs the copy pass of an installation in a child that a file size limit
// kills in the middle of the first file bigger than it: what a power cut or
// kill -9 leaves behind.
static bool killedInstall(const QString& dist, const QString& target)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const struct rlimit noCore = {0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        const struct rlimit limited = {100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limited);
        ProgressRecorder progress;
        install(dist, target, progress);
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status) &&
           WTERMSIG(status) == SIGXFSZ;
}

void TestSetupPrograms::onlyWhatItMade_data()
{
    QTest::addColumn<Trial>("trial");

    QTest::newRow("menu entries planted as links") << Trial([] {
        SetupSandbox box(Scope::User);
        QVERIFY(writeDistribution(box.path("dist"), productSpec()));
        const QString group = box.menuFolder() + "Essai Groupe/";
        const QString notes = box.path("home/notes.txt");
        QVERIFY(testsupport::writeFile(notes, "mes notes"));
        QVERIFY(::chmod(QFile::encodeName(notes).constData(), 0600) == 0);
        QVERIFY(QDir().mkpath(group));
        QVERIFY(QFile::link(notes, group + "Essai.desktop"));
        QVERIFY(QFile::link(box.path("home/made.txt"), group + "Uninstall.desktop")); // dangling
        MessageRecorder boxes;
        QCOMPARE(runInstaller(box.path("dist")), 0);
        QCOMPARE(readFile(notes), QByteArray("mes notes"));
        QCOMPARE(modeOf(notes), mode_t(0600));
        QVERIFY(!QFileInfo::exists(box.path("home/made.txt")));
        for (const char* name : {"Essai.desktop", "Uninstall.desktop"}) {
            QVERIFY(!QFileInfo(group + name).isSymLink());
            QCOMPARE(validationErrors(group + name), QString());
        }
    });

    QTest::newRow("menu folder planted as a link") << Trial([] {
        SetupSandbox box(Scope::User);
        QVERIFY(writeDistribution(box.path("dist"), productSpec()));
        const QString autostart = box.path("home/.config/autostart");
        QVERIFY(QDir().mkpath(autostart));
        QVERIFY(QDir().mkpath(box.menuFolder()));
        QVERIFY(QFile::link(autostart, box.menuFolder() + "Essai Groupe"));
        MessageRecorder boxes;
        QCOMPARE(runInstaller(box.path("dist")), 0);
        QCOMPARE(QDir(autostart).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(boxes.texts(),
                 (QStringList{"Le dossier " + box.menuFolder() +
                                  "Essai Groupe/ ne se trouve pas dans le menu Démarrer! Les "
                                  "raccourcis du programme ne sont pas créés.",
                              "L'installation est terminée!"}));
        QCOMPARE(boxes.boxes[0].owner, nullptr);
        QCOMPARE(boxes.boxes[0].caption, QString());
        QCOMPARE(boxes.boxes[0].icon, platform::MsgIcon::Information);
        QVERIFY(boxes.boxes[0].taskModal);
        QVERIFY(QFileInfo::exists(box.path("home/.local/share/Essai/prog")));
    });

    QTest::newRow("registry values planted as links") << Trial([] {
        SetupSandbox box(Scope::Machine);
        QVERIFY(writeDistribution(box.path("dist"), productSpec()));
        const QString key =
            box.root() + "/var/lib/setwell/registry/" + uninstallKey("Essai").replace('\\', '/');
        const QString outside = box.path("outside.txt");
        QVERIFY(testsupport::writeFile(outside, "dehors"));
        QVERIFY(QDir().mkpath(key));
        QVERIFY(QFile::link(outside, key + "/UninstallString"));
        QVERIFY(QFile::link(box.path("made.txt"), key + "/DisplayName")); // dangling
        MessageRecorder boxes;
        QCOMPARE(runInstaller(box.path("dist")), 0);
        QCOMPARE(readFile(outside), QByteArray("dehors"));
        QVERIFY(!QFileInfo::exists(box.path("made.txt")));
        QCOMPARE(uninstallValue("Essai", "UninstallString"),
                 installer::uninstallCommand(box.root() + "/usr/local/lib/setwell/uninst",
                                             box.root() + "/opt/Essai/"));
        QCOMPARE(uninstallValue("Essai", "DisplayName"), QString("Essai"));
    });

    QTest::newRow("temporaries of a killed copy") << Trial([] {
        SetupSandbox box(Scope::User);
        LogFixture fixture = productSpec();
        fixture.entries.prepend({"big.bin", "NEIN!", QByteArray(300000, 'b')});
        QVERIFY(writeDistribution(box.path("dist"), fixture));
        const QString target = box.path("home/.local/share/Essai/");
        QVERIFY(killedInstall(box.path("dist"), target));
        const QStringList left = hiddenNames(target, ".big.bin.");
        QCOMPARE(left.size(), 1);
        // Names like ours that are not ours: another pattern, a link.
        QVERIFY(testsupport::writeFile(target + ".big.bin.notours", "keep"));
        QVERIFY(testsupport::writeFile(box.path("outside.txt"), "keep"));
        QVERIFY(QFile::link(box.path("outside.txt"), target + ".big.bin.Ab12Cd"));
        MessageRecorder boxes(platform::MsgAnswer::Yes);
        QCOMPARE(runInstaller(box.path("dist")), 0);
        QCOMPARE(boxes.texts(), QStringList{"L'installation est terminée!"});
        QCOMPARE(hiddenNames(target, ".big.bin."),
                 (QStringList{".big.bin.Ab12Cd", ".big.bin.notours"}));
        QCOMPARE(readFile(box.path("outside.txt")), QByteArray("keep"));

        QVERIFY(killedInstall(box.path("dist"), target));
        QCOMPARE(hiddenNames(target, ".big.bin.").size(), 3);
        boxes.boxes.clear();
        QCOMPARE(runUninstaller(target), 0);
        QCOMPARE(boxes.texts().last(), QString("La désinstallation est terminée!"));
        QCOMPARE(hiddenNames(target, ".big.bin."),
                 (QStringList{".big.bin.Ab12Cd", ".big.bin.notours"}));
    });

    QTest::newRow("uninstall killed after its file pass") << Trial([] {
        SetupSandbox box(Scope::Machine);
        QVERIFY(writeDistribution(box.path("dist"), productSpec()));
        MessageRecorder boxes(platform::MsgAnswer::Yes);
        QCOMPARE(runInstaller(box.path("dist")), 0);
        const QString target = box.root() + "/opt/Essai/";
        const QString entry = box.menuFolder() + "Essai Groupe/Essai.desktop";
        QVERIFY(QFileInfo::exists(entry));
        const pid_t child = ::fork();
        if (child == 0) {
            g_dieAtRemovalOf = ".desktop";
            uninstaller::Uninstallation work;
            work.InstallFolder = target;
            if (setupkit::ReadInstallLog(target, work.log))
                uninstaller::RunUninstallation(work);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QVERIFY(!QFileInfo::exists(target + "prog"));
        // Run again, it finishes the work.
        boxes.boxes.clear();
        QCOMPARE(runUninstaller(target), 0);
        QCOMPARE(boxes.texts(), (QStringList{"Voulez-vous vraiment désinstaller le programme?",
                                             "La désinstallation est terminée!"}));
        QVERIFY(!QFileInfo::exists(entry));
        QVERIFY(!QFileInfo::exists(box.menuFolder() + "Essai Groupe"));
        QVERIFY(
            !RegistryKey::open(Hive::Machine, uninstallKey("Essai"), RegistryKey::Access::Read));
        QVERIFY(!QFileInfo::exists(target + "Install.log"));
    });

    QTest::newRow("nested products") << Trial([] {
        SetupSandbox box(Scope::Machine);
        LogFixture suite = productSpec();
        suite.folder = "Suite";
        suite.group = "Suite";
        LogFixture outil = productSpec();
        outil.folder = "Suite\\Outil";
        outil.group = "Outil";
        QVERIFY(writeDistribution(box.path("suite"), suite));
        QVERIFY(writeDistribution(box.path("outil"), outil));
        MessageRecorder boxes(platform::MsgAnswer::Yes);
        QCOMPARE(runInstaller(box.path("suite")), 0);
        QCOMPARE(runInstaller(box.path("outil")), 0);
        const QString command = installer::uninstallCommand(
            box.root() + "/usr/local/lib/setwell/uninst", box.root() + "/opt/Suite/Outil/");
        QCOMPARE(uninstallValue("Suite\\Outil", "UninstallString"), command);

        QCOMPARE(runUninstaller(box.root() + "/opt/Suite/"), 0);
        QCOMPARE(uninstallValue("Suite\\Outil", "UninstallString"), command);
        QCOMPARE(uninstallValue("Suite\\Outil", "DisplayName"), QString("Suite\\Outil"));
        QCOMPARE(uninstallValue("Suite", "UninstallString"), QString("-"));
        QCOMPARE(uninstallValue("Suite", "DisplayName"), QString("-"));
        QVERIFY(QFileInfo::exists(box.root() + "/opt/Suite/Outil/prog"));

        // The last one out takes the key they shared.
        QCOMPARE(runUninstaller(box.root() + "/opt/Suite/Outil/"), 0);
        QVERIFY(
            !RegistryKey::open(Hive::Machine, uninstallKey("Suite"), RegistryKey::Access::Read));
    });

    QTest::newRow("install onto a read-only folder") << Trial([] {
        SetupSandbox box(Scope::Machine);
        QVERIFY(writeDistribution(box.path("dist"), productSpec()));
        const QString target = box.root() + "/opt/Essai";
        // What a killed copy left before the folder became read-only.
        QVERIFY(testsupport::writeFile(target + "/.prog.Ab12Cd", "partial"));
        testsupport::ReadOnlyFolder readOnly(target);
        QVERIFY2(readOnly.failure().isEmpty(), qPrintable(readOnly.failure()));
        MessageRecorder boxes;
        QCOMPARE(runInstaller(box.path("dist")), 1);
        // The uninstaller was copied, but would find no Install.log there.
        QVERIFY(QFileInfo::exists(box.root() + "/usr/local/lib/setwell/uninst"));
        QVERIFY(
            !RegistryKey::open(Hive::Machine, uninstallKey("Essai"), RegistryKey::Access::Read));
        QVERIFY(!QFileInfo::exists(box.menuFolder() + "Essai Groupe"));
        QCOMPARE(boxes.texts().first(),
                 "Le fichier temporaire " + target + "/.prog.Ab12Cd ne peut pas être supprimé!");
        QCOMPARE(boxes.texts().last(),
                 QString("L'installation est terminée, mais des fichiers n'ont pas été copiés!"));
    });
}

void TestSetupPrograms::onlyWhatItMade()
{
    QFETCH(Trial, trial);
    trial();
}

QTEST_MAIN(TestSetupPrograms)
#include "tst_setupprograms.moc"
