// Registry keys as folders, and the special folders built on the
// environment: every location must follow the sandbox variables.

#include "platform/KnownFolders.h"
#include "platform/Registry.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using platform::Hive;
using platform::RegistryKey;

class TestRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void openCreatesOnlyWhenAsked();
    void valuesRoundTrip();
    void readAccessCannotWrite();
    void keyPathsCannotLeaveTheHive_data();
    void keyPathsCannotLeaveTheHive();
    void deleteKeyOnlyWhenEmpty();
    void linkedFoldersAreNotKeys();
    void machineRightsFollowTheRoot();
    void specialFoldersFollowTheEnvironment();
    void programFilesFromTheRegistry();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRegistry::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString base = m_dir->path();
    qputenv("HOME", QFile::encodeName(base + "/home"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + "/home/.config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(base + "/home/data"));
    qputenv("SETWELL_SYSTEM_ROOT", QFile::encodeName(base + "/root/"));
    QDir().mkpath(base + "/root");
}

void TestRegistry::openCreatesOnlyWhenAsked()
{
    const QString path = "SOFTWARE\\Quorvex\\Ünïcode key";
    QVERIFY(!RegistryKey::open(Hive::Machine, path, RegistryKey::Access::Full));
    const auto key = RegistryKey::open(Hive::Machine, path, RegistryKey::Access::Full, true);
    QVERIFY(key);
    QCOMPARE(key->folder(),
             m_dir->path() + "/root/var/lib/setwell/registry/SOFTWARE/Quorvex/Ünïcode key/");
    QVERIFY(QFileInfo(key->folder()).isDir());
    QVERIFY(RegistryKey::open(Hive::Machine, "SOFTWARE/Quorvex", RegistryKey::Access::Read));

    // The user hive is a separate tree under the user's configuration.
    QVERIFY(!RegistryKey::open(Hive::User, path, RegistryKey::Access::Read));
    const auto user = RegistryKey::open(Hive::User, path, RegistryKey::Access::Full, true);
    QVERIFY(user);
    QVERIFY(user->folder().startsWith(m_dir->path() + "/home/.config/setwell/registry/"));
}

void TestRegistry::valuesRoundTrip()
{
    const auto key = RegistryKey::open(Hive::User, "A\\B", RegistryKey::Access::Full, true);
    QVERIFY(key);
    QVERIFY(!key->readString("Missing"));
    const QString text = "\"/opt/Mon dossier é\\\"\nzweite Zeile ";
    QVERIFY(key->writeString("UninstallString", text));
    QCOMPARE(key->readString("UninstallString").value_or("?"), text);
    QVERIFY(key->writeString("UninstallString", ""));
    QCOMPARE(key->readString("UninstallString").value_or("?"), QString());
    // Value names that are not plain names never touch the disk.
    QVERIFY(!key->writeString("", "x"));
    QVERIFY(!key->writeString("..", "x"));
    QVERIFY(!key->writeString("a/b", "x"));
    QVERIFY(!key->readString("../B"));
    // Values are not keys.
    QCOMPARE(key->subKeys(), QStringList());
}

void TestRegistry::readAccessCannotWrite()
{
    QVERIFY(RegistryKey::open(Hive::User, "K", RegistryKey::Access::Full, true));
    const auto key = RegistryKey::open(Hive::User, "K", RegistryKey::Access::Read);
    QVERIFY(key);
    QVERIFY(!key->writeString("Name", "value"));
    QVERIFY(!key->readString("Name"));
}

void TestRegistry::keyPathsCannotLeaveTheHive_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty") << "";
    QTest::newRow("trailing separator") << "SOFTWARE\\Uninstall\\";
    QTest::newRow("double separator") << "SOFTWARE\\\\Uninstall";
    QTest::newRow("dot dot") << "SOFTWARE\\..\\..\\..";
    QTest::newRow("slash dot dot") << "SOFTWARE/../x";
    QTest::newRow("dot") << "SOFTWARE\\.\\x";
}

void TestRegistry::keyPathsCannotLeaveTheHive()
{
    QFETCH(QString, path);
    QVERIFY(!platform::isValidKeyPath(path));
    QVERIFY(!RegistryKey::open(Hive::Machine, path, RegistryKey::Access::Full, true));
    QVERIFY(!platform::deleteKey(Hive::Machine, path));
    // Nothing was created next to the registry either.
    QVERIFY(!QFileInfo::exists(m_dir->path() + "/root/var/lib/setwell/x"));
}

void TestRegistry::deleteKeyOnlyWhenEmpty()
{
    const auto parent = RegistryKey::open(Hive::Machine, "P", RegistryKey::Access::Full, true);
    QVERIFY(parent);
    QVERIFY(RegistryKey::open(Hive::Machine, "P\\Zeta", RegistryKey::Access::Full, true));
    QVERIFY(RegistryKey::open(Hive::Machine, "P\\Alpha", RegistryKey::Access::Full, true));
    QCOMPARE(parent->subKeys(), (QStringList{"Alpha", "Zeta"}));
    QVERIFY(parent->writeString("Value", "1"));

    QVERIFY(!platform::deleteKey(Hive::Machine, "P"));
    QVERIFY(platform::deleteKey(Hive::Machine, "P\\Alpha"));
    QVERIFY(platform::deleteKey(Hive::Machine, "P\\Zeta"));
    QVERIFY(!platform::deleteKey(Hive::Machine, "P\\Zeta"));
    QVERIFY(!platform::deleteKey(Hive::Machine, "P")); // a value keeps it
    QVERIFY(parent->deleteValue("Value"));
    QVERIFY(parent->deleteValue("Value")); // gone already
    QVERIFY(platform::deleteKey(Hive::Machine, "P"));
    QVERIFY(!QFileInfo::exists(parent->folder()));
}

void TestRegistry::linkedFoldersAreNotKeys()
{
    // A folder outside the hive, linked in as a key: neither it nor what is
    // below it may be opened, written or deleted through the link.
    const QString outside = m_dir->path() + "/outside";
    QVERIFY(testsupport::writeFile(outside + "/Child/Value", "keep"));
    const auto parent = RegistryKey::open(Hive::Machine, "P", RegistryKey::Access::Full, true);
    QVERIFY(parent);
    QVERIFY(QFile::link(outside, parent->folder() + "Linked"));
    QVERIFY(!RegistryKey::open(Hive::Machine, "P\\Linked", RegistryKey::Access::Read));
    QVERIFY(!RegistryKey::open(Hive::Machine, "P\\Linked\\Child", RegistryKey::Access::Full));
    QVERIFY(!RegistryKey::open(Hive::Machine, "P\\Linked\\New", RegistryKey::Access::Full, true));
    QVERIFY(!platform::deleteKey(Hive::Machine, "P\\Linked\\Child"));
    QVERIFY(!platform::deleteKey(Hive::Machine, "P\\Linked"));
    QCOMPARE(testsupport::readFile(outside + "/Child/Value"), QByteArray("keep"));
    QVERIFY(!QFileInfo::exists(outside + "/New"));
    // A link in a value's place is no value.
    QVERIFY(QFile::link(outside + "/Child/Value", parent->folder() + "Value"));
    QCOMPARE(parent->readString("Value"), std::nullopt);
}

void TestRegistry::machineRightsFollowTheRoot()
{
    // A root that does not exist yet, below a writable folder, can be made.
    qputenv("SETWELL_SYSTEM_ROOT", QFile::encodeName(m_dir->path() + "/fresh/root"));
    QVERIFY(platform::hasMachineWideRights());
    QVERIFY(!QFileInfo::exists(m_dir->path() + "/fresh")); // asking made nothing

    // Below a regular file no registry can ever be written, not even by root.
    QVERIFY(testsupport::writeFile(m_dir->path() + "/file", "x"));
    qputenv("SETWELL_SYSTEM_ROOT", QFile::encodeName(m_dir->path() + "/file/root"));
    QVERIFY(!platform::hasMachineWideRights());
    QVERIFY(!RegistryKey::open(Hive::Machine, "K", RegistryKey::Access::Full, true));
}

void TestRegistry::specialFoldersFollowTheEnvironment()
{
    const QString base = m_dir->path();
    QCOMPARE(platform::systemRoot(), base + "/root");
    QCOMPARE(platform::windowsFolder(), base + "/root/usr/local/lib/setwell/");
    QCOMPARE(platform::programFilesFolder(), base + "/root/opt/");
    QCOMPARE(platform::appDataFolder(), base + "/home/data/");
    QCOMPARE(platform::programsMenuFolder(), base + "/home/data/applications/");

    // Relative XDG values are to be ignored, as the XDG rules say.
    qputenv("XDG_DATA_HOME", "relative/data");
    QCOMPARE(platform::appDataFolder(), base + "/home/.local/share/");
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(platform::programsMenuFolder(), base + "/home/.local/share/applications/");
    qunsetenv("HOME");
    QCOMPARE(platform::programsMenuFolder(), QString());

    qunsetenv("SETWELL_SYSTEM_ROOT");
    QCOMPARE(platform::windowsFolder(), QString("/usr/local/lib/setwell/"));
    QCOMPARE(platform::registryRoot(Hive::Machine), QString("/var/lib/setwell/registry/"));
}

void TestRegistry::programFilesFromTheRegistry()
{
    const auto key =
        RegistryKey::open(Hive::Machine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                          RegistryKey::Access::Full, true);
    QVERIFY(key);
    QVERIFY(key->writeString("ProgramFilesDir", "/srv/apps"));
    QCOMPARE(platform::programFilesFolder(), QString("/srv/apps/"));
    QVERIFY(key->writeString("ProgramFilesDir", ""));
    QCOMPARE(platform::programFilesFolder(), m_dir->path() + "/root/opt/");
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
