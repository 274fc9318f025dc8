// Menu entries: valid for desktop-file-validate, and their Exec line gives
// back the exact target, whatever characters its path holds.

#include "platform/Shortcut.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::readFile;
using testsupport::writeFile;

class TestShortcut : public QObject
{
    Q_OBJECT

private slots:
    void entriesRunTheirTarget_data();
    void entriesRunTheirTarget();
    void optionalKeys();
    void unwritableFolderFails();
    void shortcutPaths();

private:
    QTemporaryDir m_dir;
};

// The value of `key` in the entry, with the string escapes undone.
static QString entryValue(const QByteArray& entry, const QByteArray& key)
{
    for (const QByteArray& line : entry.split('\n')) {
        if (!line.startsWith(key + "="))
            continue;
        const QString raw = QString::fromUtf8(line.mid(key.size() + 1));
        QString out;
        for (int i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                const QChar c = raw[++i];
                out += c == 's' ? QChar(' ') : c == 'n' ? QChar('\n') : c == 't' ? QChar('\t') : c;
            } else {
                out += raw[i];
            }
        }
        return out;
    }
    return QString();
}

void TestShortcut::entriesRunTheirTarget_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("program");
    QTest::addColumn<QString>("name");
    QTest::newRow("program") << "folivant" << true << "Folivant";
    QTest::newRow("program, odd path") << "a b/\"q\" $HOME `x` \\n 100% é" << true << "EXEC!";
    QTest::newRow("document") << "read me.txt" << false << "Lisez-moi";
    QTest::newRow("document, odd path") << "d;o|c&'s $(x)%.pdf" << false << " Lead\\ing";
}

void TestShortcut::entriesRunTheirTarget()
{
    QFETCH(QString, fileName);
    QFETCH(bool, program);
    QFETCH(QString, name);
    const QString target = m_dir.filePath(fileName);
    QVERIFY(writeFile(target, "#!/bin/sh\n"));
    if (program)
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));

    platform::ShortcutEntry shortcut;
    shortcut.linkFile = m_dir.filePath(QString(QTest::currentDataTag()) + ".desktop");
    shortcut.name = name;
    shortcut.target = target;
    QVERIFY(platform::writeShortcut(shortcut));

    const QByteArray entry = readFile(shortcut.linkFile);
    QVERIFY(entry.startsWith("[Desktop Entry]\n"));
    QCOMPARE(entryValue(entry, "Type"), QString("Application"));
    QCOMPARE(entryValue(entry, "Name"), name);
    const QStringList expected = program ? QStringList{target} : QStringList{"xdg-open", target};
    QCOMPARE(testsupport::splitExecLine(entryValue(entry, "Exec")), expected);
    const QString output = testsupport::desktopEntryErrors(shortcut.linkFile);
    QVERIFY2(output.isEmpty(), qPrintable(output + entry));
}

void TestShortcut::optionalKeys()
{
    platform::ShortcutEntry shortcut;
    shortcut.linkFile = m_dir.filePath("Plain.desktop");
    shortcut.target = m_dir.filePath("none");
    QVERIFY(platform::writeShortcut(shortcut));
    QByteArray entry = readFile(shortcut.linkFile);
    QCOMPARE(entryValue(entry, "Name"), QString("Plain")); // from the file name
    QVERIFY(!entry.contains("Comment="));
    QVERIFY(!entry.contains("Path="));
    QVERIFY(!entry.contains("Icon="));
    QVERIFY(!entry.contains("Categories="));

    shortcut.description = "Convertir";
    shortcut.workingFolder = m_dir.path();
    shortcut.iconFile = m_dir.filePath("icon.png");
    shortcut.categories = "Utility;";
    QVERIFY(platform::writeShortcut(shortcut)); // replaces the first one
    entry = readFile(shortcut.linkFile);
    QCOMPARE(entryValue(entry, "Comment"), QString("Convertir"));
    QCOMPARE(entryValue(entry, "Path"), m_dir.path());
    QCOMPARE(entryValue(entry, "Icon"), m_dir.filePath("icon.png"));
    QCOMPARE(entryValue(entry, "Categories"), QString("Utility;"));
    const QString output = testsupport::desktopEntryErrors(shortcut.linkFile);
    QVERIFY2(output.isEmpty(), qPrintable(output));
}

void TestShortcut::unwritableFolderFails()
{
    QVERIFY(writeFile(m_dir.filePath("file"), "x"));
    platform::ShortcutEntry shortcut;
    shortcut.linkFile = m_dir.filePath("file/Entry.desktop");
    shortcut.target = "/bin/sh";
    QVERIFY(!platform::writeShortcut(shortcut));
}

void TestShortcut::shortcutPaths()
{
    QCOMPARE(platform::shortcutPath("/m/", "EXEC!"), QString("/m/EXEC!.desktop"));
    QCOMPARE(platform::shortcutPath("/m/", "Mon programme"), QString("/m/Mon programme.desktop"));
    for (const char* bad : {"", ".", "..", "../../x", "a/b"})
        QCOMPARE(platform::shortcutPath("/m/", bad), QString());
}

QTEST_GUILESS_MAIN(TestShortcut)
#include "tst_shortcut.moc"
