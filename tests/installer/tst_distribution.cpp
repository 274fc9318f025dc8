// Folivant's own distribution folder, installed and uninstalled both ways.
// Programs this tree did not build are missing from it: their copies fail
// with the usual message and the rest is checked all the same.

#include "SetupSandbox.h"

#include "platform/Registry.h"
#include "uninstaller/UninstallSteps.h"

#include <QFileInfo>
#include <QtTest>

using namespace setuptest;

class TestDistribution : public QObject
{
    Q_OBJECT

private slots:
    void logDescribesTheProduct();
    void installAndUninstall_data();
    void installAndUninstall();
};

static const QString Dist = QStringLiteral(FOLIVANT_DIST_DIR);
static const QStringList Programs{"folivant", "folivant-convert", "folivant-interpreter",
                                  "setwell-install", "setwell-uninstall"};

void TestDistribution::logDescribesTheProduct()
{
    const QByteArray bytes = testsupport::readFile(Dist + "/Install.log");
    QVERIFY(bytes.contains("Nicht ver\xE4ndern, nicht l\xF6schen!\r\n"));
    QVERIFY(!bytes.contains("\n\n") && bytes.count('\n') == bytes.count("\r\n"));

    setupkit::InstallLog log;
    QVERIFY(setupkit::ReadInstallLog(Dist + "/", log));
    QCOMPARE(log.ProductName, QByteArray("Folivant 2.0"));
    QCOMPARE(log.FolderName, QByteArray("Folivant"));
    QCOMPARE(log.GroupName, QByteArray("Folivant"));
    QStringList entries;
    for (int i = 1; i <= log.EntryCount; ++i)
        entries << QString(log.entry(i).FileName + " " + log.entry(i).Tag);
    QCOMPARE(entries,
             (QStringList{"folivant Folivant", "folivant.svg NEIN!", "folivant-convert NEIN!",
                          "folivant-interpreter NEIN!", "setwell-install NEIN!",
                          "setwell-uninstall DEINST!", "Install.log NEIN!"}));
}

void TestDistribution::installAndUninstall_data()
{
    QTest::addColumn<bool>("machineWide");
    QTest::newRow("machine-wide") << true;
    QTest::newRow("per user") << false;
}

void TestDistribution::installAndUninstall()
{
    QFETCH(bool, machineWide);
    SetupSandbox box(machineWide ? Scope::Machine : Scope::User);
    QStringList present, missing;
    for (const QString& program : Programs)
        (QFileInfo::exists(Dist + "/" + program) ? present : missing) << program;
    if (!missing.isEmpty())
        qInfo("not built here, so not in the distribution: %s", qPrintable(missing.join(", ")));

    setupkit::InstallLog log;
    QVERIFY(setupkit::ReadInstallLog(Dist + "/", log));
    const installer::BaseFolder base = installer::DefaultBaseFolder();
    QCOMPARE(base.perUser, !machineWide);
    const QString target = installer::proposedInstallFolder(base.folder, log);
    const QString windows = box.root() + "/usr/local/lib/setwell/";
    const QString uninstallerPlace = (machineWide ? windows : target + "/") + "setwell-uninstall";

    MessageRecorder boxes;
    ProgressRecorder progress;
    install(Dist, target, progress);
    QStringList expected;
    for (const QString& program : missing)
        expected << "Erreur pendant la copie du fichier \r\n" + Dist + "/" + program +
                        "\r\n vers \r\n" +
                        (program == "setwell-uninstall" ? uninstallerPlace
                                                        : target + "/" + program) +
                        " !";
    expected << "L'installation est terminée!";
    QCOMPARE(boxes.texts(), expected);

    for (const QString& program : present) {
        const QString installed =
            program == "setwell-uninstall" ? uninstallerPlace : target + "/" + program;
        QCOMPARE(testsupport::readFile(installed), testsupport::readFile(Dist + "/" + program));
        QVERIFY2(QFileInfo(installed).isExecutable(), qPrintable(installed));
    }
    if (present.contains("folivant-convert")) {
        // The installed converter works from its new place.
        QProcess convert;
        convert.start(target + "/folivant-convert",
                      {"-o", box.path("out.pdf"), QStringLiteral(FOLIVANT_SAMPLE_PS)});
        QVERIFY(convert.waitForFinished(60000));
        QCOMPARE(convert.exitCode(), 0);
        QVERIFY(testsupport::readPdf(box.path("out.pdf")).pageCount > 0);
    }
    QCOMPARE(testsupport::readFile(target + "/Install.log"),
             testsupport::readFile(Dist + "/Install.log"));
    QCOMPARE(testsupport::readFile(target + "/folivant.svg"),
             testsupport::readFile(Dist + "/folivant.svg"));

    const QString group = box.menuFolder() + "Folivant/";
    QStringList menu{"Folivant.desktop"};
    if (!machineWide)
        menu << "Uninstall.desktop";
    QCOMPARE(QDir(group).entryList(QDir::Files), menu);
    for (const QString& entry : menu)
        QCOMPARE(validationErrors(group + entry), QString());
    if (present.contains("folivant")) {
        QCOMPARE(execArguments(group + "Folivant.desktop"), QStringList{target + "/folivant"});
        QCOMPARE(desktopValue(group + "Folivant.desktop", "Icon"), target + "/folivant.svg");
    }
    if (!machineWide)
        QCOMPARE(execArguments(group + "Uninstall.desktop"), QStringList{uninstallerPlace});
    const auto key = platform::RegistryKey::open(
        platform::Hive::Machine,
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Folivant",
        platform::RegistryKey::Access::Read);
    QCOMPARE(bool(key), machineWide);

    // The program writes its settings beside itself; the log names them.
    QVERIFY(testsupport::writeFile(target + "/options.dat", "settings"));
    uninstaller::Uninstallation work;
    work.InstallFolder = target + "/";
    QVERIFY(setupkit::ReadInstallLog(work.InstallFolder, work.log));
    boxes.boxes.clear();
    uninstaller::RunUninstallation(work);
    QCOMPARE(boxes.texts(), QStringList{"La désinstallation est terminée!"});
    QVERIFY(QDir(target).isEmpty());
    QVERIFY(!QFileInfo::exists(group));
    QVERIFY(!platform::RegistryKey::open(
        platform::Hive::Machine,
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Folivant",
        platform::RegistryKey::Access::Read));
    // The shared uninstaller of a machine-wide installation stays.
    QCOMPARE(QFileInfo::exists(uninstallerPlace),
             machineWide && present.contains("setwell-uninstall"));
}

QTEST_MAIN(TestDistribution)
#include "tst_distribution.moc"
