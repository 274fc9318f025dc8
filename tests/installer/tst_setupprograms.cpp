// Both programs with their real windows: fields, "Suivant >", the checks
// before the work, the refused log, the registered command reaching the
// uninstaller with its folder whole, and their icon and French boxes.

#include "installer/InstallerProgram.h"
#include "uninstaller/UninstallerProgram.h"

#include "SetupSandbox.h"

#include "platform/Registry.h"
#include "setupkit/SetupApplication.h"
#include "setupkit/SetupWindow.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace setuptest;

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

QTEST_MAIN(TestSetupPrograms)
#include "tst_setupprograms.moc"
