#include "setupkit/InstallLog.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

using namespace setupkit;

namespace {

const QByteArray Header = "Quorvex Setwell 2.0 - Install.log";
const QByteArray Guard = "Nicht ver\xE4ndern, nicht l\xF6schen!";

struct LogText
{
    QByteArray product = "Folivant 2.0";
    QByteArray folder = "C:\\Programme\\Folivant";
    QByteArray group = "Folivant";
    QByteArray extra = "folivant.ini";
    QByteArray count = "2";
    QList<QByteArray> entryLines = {"folivant.exe", "Folivant", "Install.log", "NEIN!"};
    QList<QByteArray> trailer = {""};

    QByteArray bytes(const QByteArray& eol = "\r\n") const
    {
        QList<QByteArray> lines = {Header, Guard, product, folder, group, extra, count};
        lines += entryLines;
        lines += trailer;
        QByteArray out;
        for (const QByteArray& line : lines)
            out += line + eol;
        return out;
    }
};

bool parses(const QByteArray& bytes, InstallLog* out = nullptr)
{
    InstallLog log;
    const bool ok = ParseInstallLog(bytes, log);
    if (out)
        *out = log;
    return ok;
}

} // namespace

class TestInstallLog : public QObject
{
    Q_OBJECT

private slots:
    void readsWellFormedLog();
    void lineEnds_data();
    void lineEnds();
    void countLine_data();
    void countLine();
    void trailer_data();
    void trailer();
    void programFolderPrefix_data();
    void programFolderPrefix();
    void entryTextsCutAt99();
    void sameWhereverTheBytesFall();
    void markersComparedExactly_data();
    void markersComparedExactly();
    void tagsHandedOverUntouched();
    void unsafeNames_data();
    void unsafeNames();
    void longLinesAreCutNotHeld_data();
    void longLinesAreCutNotHeld();
    void readsFromDisk();
    void stopsAfterTheTrailerTest();
    void refusesWhatCannotBeRead();
    void readErrors_data();
    void readErrors();
    void decodesWindows1252();
};

void TestInstallLog::readsWellFormedLog()
{
    InstallLog log;
    QVERIFY(parses(LogText().bytes(), &log));
    QCOMPARE(log.ProductName, QByteArray("Folivant 2.0"));
    QCOMPARE(log.FolderName, QByteArray("Folivant"));
    QCOMPARE(log.GroupName, QByteArray("Folivant"));
    QCOMPARE(log.ExtraFileName, QByteArray("folivant.ini"));
    QCOMPARE(log.EntryCount, quint16(2));
    QCOMPARE(log.entry(1).FileName, QByteArray("folivant.exe"));
    QCOMPARE(log.entry(1).Tag, QByteArray("Folivant"));
    QCOMPARE(log.entry(2).FileName, QByteArray("Install.log"));
    QCOMPARE(log.entry(2).Tag, QByteArray("NEIN!"));

    // A reused InstallLog does not keep entries of an earlier log.
    LogText none;
    none.count = "0";
    none.entryLines.clear();
    QVERIFY(ParseInstallLog(none.bytes(), log));
    QCOMPARE(log.EntryCount, quint16(0));
    QVERIFY(log.entry(1).FileName.isEmpty());
}

void TestInstallLog::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("product");

    const LogText log;
    QTest::newRow("CR LF") << log.bytes("\r\n") << true << log.product;
    QTest::newRow("CR alone") << log.bytes("\r") << true << log.product;
    QTest::newRow("LF alone is one long line") << log.bytes("\n") << false << QByteArray();
    QTest::newRow("LF CR leaves LF in the line") << log.bytes("\n\r") << false << QByteArray();
    QTest::newRow("CR CR is an empty line") << log.bytes("\r\r") << false << QByteArray();
    QTest::newRow("CR LF LF starts the next line with LF")
        << log.bytes("\r\n\n") << false << QByteArray();

    LogText lone = log;
    lone.product = "Foli\nvant";
    QTest::newRow("lone LF inside a line") << lone.bytes() << true << QByteArray("Foli\nvant");

    QByteArray mixed = log.bytes();
    mixed.replace(Guard + "\r\n", Guard + "\r");
    QTest::newRow("CR and CR LF mixed") << mixed << true << log.product;

    QTest::newRow("Ctrl-Z inside the header")
        << QByteArray("Quorvex\x1A") + log.bytes() << false << QByteArray();
    LogText zero = log;
    zero.count = "0";
    zero.entryLines.clear();
    zero.trailer.clear();
    QTest::newRow("Ctrl-Z ends the file, the rest is not read")
        << zero.bytes() + "\x1A" + "garbage\r\n"
        << true << log.product;

    QByteArray cut = zero.bytes();
    cut.chop(2);
    QTest::newRow("last line without a line end") << cut << true << log.product;
    QTest::newRow("count line ending in Ctrl-Z") << cut + "\x1A\r\n" << true << log.product;

    QTest::newRow("file ends before the count: count line reads empty")
        << Header + "\r\n" + Guard + "\r\n" + log.product + "\r\n"
        << false << QByteArray();
    QTest::newRow("empty file") << QByteArray() << false << QByteArray();
    QTest::newRow("only Ctrl-Z") << QByteArray("\x1A") << false << QByteArray();
}

void TestInstallLog::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(QByteArray, product);
    InstallLog log;
    QCOMPARE(parses(bytes, &log), valid);
    if (valid)
        QCOMPARE(log.ProductName, product);
}

void TestInstallLog::countLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("count"); // -1: refused

    QTest::newRow("digit") << QByteArray("3") << 3;
    QTest::newRow("leading blank") << QByteArray(" 3") << 3;
    QTest::newRow("leading blanks and plus") << QByteArray("   +3") << 3;
    QTest::newRow("leading zeros") << QByteArray("007") << 7;
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("minus zero") << QByteArray("-0") << 0;
    QTest::newRow("dollar hex") << QByteArray("$A") << 10;
    QTest::newRow("dollar hex small") << QByteArray("$0a") << 10;
    QTest::newRow("x hex") << QByteArray("x10") << 16;
    QTest::newRow("X hex") << QByteArray("X1f") << 31;
    QTest::newRow("0x hex") << QByteArray("0x0A") << 10;
    QTest::newRow("0X hex") << QByteArray("0Xc8") << 200;
    QTest::newRow("blank then signed hex") << QByteArray(" +$B") << 11;
    QTest::newRow("largest count") << QByteArray("200") << 200;

    QTest::newRow("trailing blank") << QByteArray("3 ") << -1;
    QTest::newRow("empty") << QByteArray() << -1;
    QTest::newRow("blanks only") << QByteArray("   ") << -1;
    QTest::newRow("tab is not a blank") << QByteArray("\t3") << -1;
    QTest::newRow("sign only") << QByteArray("+") << -1;
    QTest::newRow("blank after sign") << QByteArray("- 3") << -1;
    QTest::newRow("two signs") << QByteArray("+-3") << -1;
    QTest::newRow("dollar only") << QByteArray("$") << -1;
    QTest::newRow("0x only") << QByteArray("0x") << -1;
    QTest::newRow("blank after dollar") << QByteArray("$ 5") << -1;
    QTest::newRow("sign after 0x") << QByteArray("0x-3") << -1;
    QTest::newRow("hex digit in decimal") << QByteArray("1a") << -1;
    QTest::newRow("exponent") << QByteArray("1e2") << -1;
    QTest::newRow("x after a digit") << QByteArray("3x") << -1;
    QTest::newRow("00x is not a prefix") << QByteArray("00x5") << -1;
    QTest::newRow("decimal point") << QByteArray("3.0") << -1;
    QTest::newRow("NUL after the digit") << QByteArray("3\0", 2) << -1;
    QTest::newRow("above the table") << QByteArray("201") << -1;
    QTest::newRow("above the table in hex") << QByteArray("$C9") << -1;
    QTest::newRow("negative") << QByteArray("-1") << -1;
    QTest::newRow("32-bit overflow") << QByteArray("2147483648") << -1;
    QTest::newRow("huge decimal") << QByteArray("99999999999999999999999") << -1;
    QTest::newRow("hex overflow") << QByteArray("$100000000") << -1;
    QTest::newRow("all-ones hex is not -1") << QByteArray("$FFFFFFFF") << -1;
    QTest::newRow("negative all-ones hex") << QByteArray("-$FFFFFFFF") << -1;
    QTest::newRow("most negative") << QByteArray("-2147483648") << -1;
}

void TestInstallLog::countLine()
{
    QFETCH(QByteArray, line);
    QFETCH(int, count);
    // Always more entry lines than any count asks for, so only the count
    // line decides.
    LogText text;
    text.count = line;
    text.entryLines.clear();
    for (int i = 0; i <= MaxEntries; ++i)
        text.entryLines << "file" + QByteArray::number(i) << "NEIN!";
    InstallLog log;
    QCOMPARE(parses(text.bytes(), &log), count >= 0);
    if (count >= 0) {
        QCOMPARE(int(log.EntryCount), count);
        if (count > 0)
            QCOMPARE(log.entry(count).FileName, "file" + QByteArray::number(count - 1));
    }
}

void TestInstallLog::trailer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");

    LogText text;
    text.trailer.clear();
    const QByteArray noTrailer = text.bytes();
    QTest::newRow("last entry line ends the file") << noTrailer << false;
    QTest::newRow("one more empty line") << noTrailer + "\r\n" << true;
    QTest::newRow("one more line without a line end") << noTrailer + "x" << true;
    QTest::newRow("one more CR only") << noTrailer + "\r" << true;
    QTest::newRow("Ctrl-Z right after the last entry") << noTrailer + "\x1A\r\n" << false;
    QTest::newRow("lone LF after the last entry is a line") << noTrailer + "\n" << true;
    QTest::newRow("several lines after the entries") << noTrailer + "a\r\nb\r\n" << true;

    QByteArray lastTagUnended = noTrailer;
    lastTagUnended.chop(2);
    QTest::newRow("last Tag without a line end") << lastTagUnended << false;

    text.entryLines = {"folivant.exe", "Folivant", "Install.log"};
    QTest::newRow("file ends after a FileName") << text.bytes() << false;
    text.entryLines = {"folivant.exe"};
    QTest::newRow("file ends after the first FileName") << text.bytes() << false;

    LogText zero;
    zero.count = "0";
    zero.entryLines.clear();
    zero.trailer.clear();
    QTest::newRow("no entries, file ends after the count") << zero.bytes() << true;
}

void TestInstallLog::trailer()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(parses(bytes), valid);
}

void TestInstallLog::programFolderPrefix_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("folder");

    QTest::newRow("as written") << QByteArray("C:\\Programme\\Folivant") << QByteArray("Folivant");
    QTest::newRow("capitals") << QByteArray("C:\\PROGRAMME\\Folivant") << QByteArray("Folivant");
    QTest::newRow("small letters")
        << QByteArray("c:\\programme\\Folivant") << QByteArray("Folivant");
    QTest::newRow("mixed case") << QByteArray("c:\\PrOgRaMmE\\Folivant") << QByteArray("Folivant");
    QTest::newRow("deeper folder")
        << QByteArray("C:\\Programme\\Quorvex\\Folivant") << QByteArray("Quorvex\\Folivant");
    QTest::newRow("prefix only") << QByteArray("C:\\Programme\\") << QByteArray();
    QTest::newRow("removed once") << QByteArray("C:\\Programme\\C:\\Programme\\X")
                                  << QByteArray("C:\\Programme\\X");
    QTest::newRow("other drive") << QByteArray("D:\\Programme\\Folivant")
                                 << QByteArray("D:\\Programme\\Folivant");
    QTest::newRow("no drive") << QByteArray("Programme\\Folivant")
                              << QByteArray("Programme\\Folivant");
    QTest::newRow("no closing backslash")
        << QByteArray("C:\\Programme") << QByteArray("C:\\Programme");
    QTest::newRow("slashes are not the prefix")
        << QByteArray("C:/Programme/Folivant") << QByteArray("C:/Programme/Folivant");
    QTest::newRow("leading blank")
        << QByteArray(" C:\\Programme\\Folivant") << QByteArray(" C:\\Programme\\Folivant");
    QTest::newRow("accented letter after it")
        << QByteArray("C:\\Programme\\\xC9tude") << QByteArray("\xC9tude");
}

void TestInstallLog::programFolderPrefix()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, folder);
    LogText text;
    text.folder = line;
    InstallLog log;
    QVERIFY(parses(text.bytes(), &log));
    QCOMPARE(log.FolderName, folder);
}

void TestInstallLog::entryTextsCutAt99()
{
    LogText text;
    const QByteArray longName = "sub\\" + QByteArray(116, 'n');
    text.entryLines = {longName, QByteArray(100, 't'), QByteArray(99, 'f'), QByteArray(98, 'g')};
    InstallLog log;
    QVERIFY(parses(text.bytes(), &log));
    QCOMPARE(log.entry(1).FileName, longName.left(99));
    QCOMPARE(log.entry(1).FileName.size(), 99);
    QCOMPARE(log.entry(1).Tag, QByteArray(99, 't'));
    QCOMPARE(log.entry(2).FileName, QByteArray(99, 'f'));
    QCOMPARE(log.entry(2).Tag, QByteArray(98, 'g'));

    // The cut works on bytes: an accented letter counts as one.
    text.count = "1";
    text.entryLines = {QByteArray(120, '\xE9'), "x"};
    QVERIFY(parses(text.bytes(), &log));
    QCOMPARE(fromWindows1252(log.entry(1).FileName), QString(99, QChar(0xE9)));

    // The line is read whole even though only 99 bytes are kept: the next
    // entry starts after it.
    QCOMPARE(log.entry(1).Tag, QByteArray("x"));
}

void TestInstallLog::sameWhereverTheBytesFall()
{
    // The file is read piece by piece. A long product name pushes every line
    // end, the count, the entries and the trailer test across each place
    // where a piece of a few KiB could end.
    LogText text;
    text.entryLines = {"folivant.exe", QByteArray(120, 't'), "Install.log", "NEIN!"};
    text.trailer.clear();
    for (const int boundary : {4096, 16384, 65536}) {
        for (int length = boundary - 200; length <= boundary; ++length) {
            text.product = QByteArray(length, 'p');
            const QByteArray bare = text.bytes();
            InstallLog log;
            QVERIFY2(!parses(bare), QByteArray::number(length).constData());
            QVERIFY2(!parses(bare + "\x1A\r\n"), QByteArray::number(length).constData());
            QVERIFY2(parses(bare + "\r\n", &log), QByteArray::number(length).constData());
            QCOMPARE(log.ProductName, QByteArray(MaxShownText, 'p'));
            QCOMPARE(log.entry(1).Tag, QByteArray(99, 't'));
            QCOMPARE(log.entry(2).FileName, QByteArray("Install.log"));
            QCOMPARE(log.entry(2).Tag, QByteArray("NEIN!"));
        }
    }
}

void TestInstallLog::markersComparedExactly_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("guard");
    QTest::addColumn<bool>("valid");

    QTest::newRow("exact") << Header << Guard << true;
    QTest::newRow("header letter case")
        << QByteArray("Quorvex SetWell 2.0 - Install.log") << Guard << false;
    QTest::newRow("header trailing blank") << Header + " " << Guard << false;
    QTest::newRow("header leading blank") << " " + Header << Guard << false;
    QTest::newRow("header missing dash blanks")
        << QByteArray("Quorvex Setwell 2.0-Install.log") << Guard << false;
    QTest::newRow("header other version")
        << QByteArray("Quorvex Setwell 2.1 - Install.log") << Guard << false;
    QTest::newRow("guard in UTF-8")
        << Header << QByteArray("Nicht ver\xC3\xA4ndern, nicht l\xC3\xB6schen!") << false;
    QTest::newRow("guard spelt without umlauts")
        << Header << QByteArray("Nicht veraendern, nicht loeschen!") << false;
    QTest::newRow("guard capital umlaut")
        << Header << QByteArray("Nicht ver\xC4ndern, nicht l\xF6schen!") << false;
    QTest::newRow("guard without bang") << Header << Guard.chopped(1) << false;
    QTest::newRow("header and guard swapped") << Guard << Header << false;
}

void TestInstallLog::markersComparedExactly()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, guard);
    QFETCH(bool, valid);
    QByteArray bytes = LogText().bytes();
    bytes.replace(0, Header.size() + 2 + Guard.size(), header + "\r\n" + guard);
    QCOMPARE(parses(bytes), valid);
}

void TestInstallLog::tagsHandedOverUntouched()
{
    // The steps compare markers exactly, so the reader must not trim or
    // case-fold a Tag.
    LogText text;
    text.entryLines = {"a.txt", "nein!", "b.txt", "NEIN! ", "c.txt", " EXEC!"};
    text.count = "3";
    InstallLog log;
    QVERIFY(parses(text.bytes(), &log));
    QCOMPARE(log.entry(1).Tag, QByteArray("nein!"));
    QCOMPARE(log.entry(2).Tag, QByteArray("NEIN! "));
    QCOMPARE(log.entry(3).Tag, QByteArray(" EXEC!"));
}

void TestInstallLog::unsafeNames_data()
{
    QTest::addColumn<QByteArray>("field"); // which line to replace
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("valid");

    QTest::newRow("file in a subfolder")
        << QByteArray("file") << QByteArray("doc\\readme.txt") << true;
    QTest::newRow("dots in names") << QByteArray("file") << QByteArray("...\\a..b\\..x") << true;
    QTest::newRow("file climbs out") << QByteArray("file") << QByteArray("..\\evil.txt") << false;
    QTest::newRow("file climbs out with slash")
        << QByteArray("file") << QByteArray("sub/../../evil.txt") << false;
    QTest::newRow("file ends in ..") << QByteArray("file") << QByteArray("sub\\..") << false;
    QTest::newRow("file is ..") << QByteArray("file") << QByteArray("..") << false;
    QTest::newRow("file absolute backslash")
        << QByteArray("file") << QByteArray("\\etc\\passwd") << false;
    QTest::newRow("file absolute slash")
        << QByteArray("file") << QByteArray("/etc/passwd") << false;
    QTest::newRow("file with drive") << QByteArray("file") << QByteArray("C:\\boot.ini") << false;
    QTest::newRow("file drive-relative") << QByteArray("file") << QByteArray("c:boot.ini") << false;
    QTest::newRow("file with NUL") << QByteArray("file") << QByteArray("..\0x", 4) << false;
    // 96 letters, a backslash and ".." fill the 99 bytes kept: the check is
    // on what is stored, not on the line.
    QTest::newRow("cut leaves ..")
        << QByteArray("file") << QByteArray(96, 'a') + "\\..xyz" << false;
    QTest::newRow("tag with folder") << QByteArray("tag") << QByteArray("Docs\\Readme") << true;
    QTest::newRow("tag climbs out")
        << QByteArray("tag") << QByteArray("..\\..\\autostart\\x") << false;
    QTest::newRow("folder on another drive")
        << QByteArray("folder") << QByteArray("D:\\Programme\\Folivant") << true;
    QTest::newRow("folder climbs out")
        << QByteArray("folder") << QByteArray("C:\\Programme\\..\\..\\Windows") << false;
    QTest::newRow("group climbs out") << QByteArray("group") << QByteArray("..\\..\\..") << false;
    QTest::newRow("group nested") << QByteArray("group") << QByteArray("Quorvex\\Folivant") << true;
    QTest::newRow("extra absolute") << QByteArray("extra") << QByteArray("/etc/hosts") << false;
    QTest::newRow("extra climbs out") << QByteArray("extra") << QByteArray("..\\x.ini") << false;
    QTest::newRow("extra empty") << QByteArray("extra") << QByteArray() << true;
}

void TestInstallLog::unsafeNames()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, value);
    QFETCH(bool, valid);
    LogText text;
    if (field == "file")
        text.entryLines[2] = value;
    else if (field == "tag")
        text.entryLines[1] = value;
    else if (field == "folder")
        text.folder = value;
    else if (field == "group")
        text.group = value;
    else
        text.extra = value;
    QCOMPARE(parses(text.bytes()), valid);
}

void TestInstallLog::longLinesAreCutNotHeld_data()
{
    // Which line is long, what it starts with, and how much of it is kept.
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("kept");
    QTest::newRow("product name") << 3 << QByteArray() << MaxShownText;
    QTest::newRow("folder name after its prefix")
        << 4 << QByteArray("C:\\programme\\") << MaxShownText;
    QTest::newRow("group name") << 5 << QByteArray() << MaxPathText;
    QTest::newRow("extra file name") << 6 << QByteArray() << MaxPathText;
    // Blanks before the count are skipped, however many there are.
    QTest::newRow("count after blanks") << 7 << QByteArray() << 0;
    QTest::newRow("entry file name") << 8 << QByteArray() << MaxEntryText;
}

void TestInstallLog::longLinesAreCutNotHeld()
{
    // One line of 100 MB, written to disk: reading it costs no more memory
    // than what is kept of it.
    QFETCH(int, line);
    QFETCH(QByteArray, start);
    QFETCH(int, kept);
    const qint64 length = qint64(100) << 20;
    const char filler = line == 7 ? ' ' : 'n';
    const QList<QByteArray> lines = LogText().bytes().split('\n');
    QTemporaryDir dir;
    QFile file(dir.filePath("Install.log"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < lines.size() - 1; ++i) {
        if (i + 1 != line) {
            file.write(lines[i] + '\n');
            continue;
        }
        file.write(start);
        const QByteArray chunk(1 << 20, filler);
        for (qint64 written = start.size(); written < length; written += chunk.size())
            file.write(chunk);
        file.write(line == 7 ? "2\r\n" : "\r\n");
    }
    QVERIFY(file.flush());
    file.close();

    struct rusage before;
    ::getrusage(RUSAGE_SELF, &before);
    InstallLog log;
    QVERIFY(ReadInstallLog(dir.path() + "/", log));
    struct rusage after;
    ::getrusage(RUSAGE_SELF, &after);
    QVERIFY2(after.ru_maxrss - before.ru_maxrss < 16 * 1024,
             qPrintable(QString("%1 KiB more").arg(after.ru_maxrss - before.ru_maxrss)));

    const QByteArray held[] = {log.ProductName,   log.FolderName, log.GroupName,
                               log.ExtraFileName, QByteArray(),   log.entry(1).FileName};
    QCOMPARE(held[line - 3], QByteArray(kept, filler));
    // The lines after the long one are read as they are.
    QCOMPARE(log.EntryCount, quint16(2));
    QCOMPARE(log.entry(2).Tag, QByteArray("NEIN!"));
}

void TestInstallLog::readsFromDisk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + QStringLiteral("/Dossier d'été \"x\"/");
    QVERIFY(testsupport::writeFile(folder + "Install.log", LogText().bytes()));
    InstallLog log;
    QVERIFY(ReadInstallLog(folder, log));
    QCOMPARE(log.EntryCount, quint16(2));

    // The name is exact: a file of another case is not the log.
    const QString other = dir.path() + "/other/";
    QVERIFY(testsupport::writeFile(other + "install.log", LogText().bytes()));
    QVERIFY(!ReadInstallLog(other, log));
}

namespace {

// Bytes this process has asked the kernel for so far; -1 when unknown.
qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = io.readAll().split('\n');
    for (const QByteArray& line : lines)
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

void TestInstallLog::stopsAfterTheTrailerTest()
{
    // Whatever follows the first byte after the entries is never read:
    // here 64 MiB of it, which a reader of the whole file would load.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(testsupport::writeFile(folder + "Install.log", LogText().bytes()));
    QVERIFY(QFile::resize(folder + "Install.log", qint64(64) << 20));
    const qint64 before = bytesRead();
    if (before < 0)
        QSKIP("no read accounting in /proc/self/io");
    InstallLog log;
    QVERIFY(ReadInstallLog(folder, log));
    QCOMPARE(log.entry(2).Tag, QByteArray("NEIN!"));
    QVERIFY2(bytesRead() - before < (qint64(1) << 20),
             QByteArray::number(bytesRead() - before).constData());
}

void TestInstallLog::refusesWhatCannotBeRead()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    InstallLog log;
    QVERIFY(!ReadInstallLog(dir.path() + "/missing/", log));

    // A folder of that name.
    QVERIFY(QDir(dir.path()).mkpath("folder/Install.log"));
    QVERIFY(!ReadInstallLog(dir.path() + "/folder/", log));

    // A pipe, even one that a writer feeds a whole log, is no file: it is
    // refused before it is opened, which would wait for a writer.
    const QString pipeFolder = dir.path() + "/pipe/";
    QVERIFY(QDir().mkpath(pipeFolder));
    const QByteArray pipe = QFile::encodeName(pipeFolder + "Install.log");
    QVERIFY(::mkfifo(pipe.constData(), 0600) == 0);
    std::thread writer([&pipe] {
        const int fd = ::open(pipe.constData(), O_WRONLY);
        if (fd >= 0) {
            const QByteArray bytes = LogText().bytes();
            (void)!::write(fd, bytes.constData(), size_t(bytes.size()));
            ::close(fd);
        }
    });
    const bool pipeRead = ReadInstallLog(pipeFolder, log);
    // Lets the writer open and finish.
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(reader);
    QVERIFY(!pipeRead);

    // A device that never ends is not read at all.
    const QString devFolder = dir.path() + "/dev/";
    QVERIFY(QDir().mkpath(devFolder));
    QVERIFY(QFile::link("/dev/zero", devFolder + "Install.log"));
    QVERIFY(!ReadInstallLog(devFolder, log));

    // A file without read permission (root reads everything).
    const QString locked = dir.path() + "/locked/";
    QVERIFY(testsupport::writeFile(locked + "Install.log", LogText().bytes()));
    QVERIFY(QFile::setPermissions(locked + "Install.log", QFileDevice::WriteOwner));
    if (geteuid() != 0)
        QVERIFY(!ReadInstallLog(locked, log));
}

namespace {

// Hands out `bytes`, then fails as a disk that cannot read a sector does:
// every read from byte `failAt` on is an error.
class FailingDevice : public QIODevice
{
public:
    FailingDevice(QByteArray bytes, qint64 failAt) : m_bytes(std::move(bytes)), m_failAt(failAt)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_pos >= m_failAt) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = qMin(maxSize, qMin(m_failAt, qint64(m_bytes.size())) - m_pos);
        memcpy(data, m_bytes.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_failAt;
    qint64 m_pos = 0;
};

} // namespace

void TestInstallLog::readErrors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("failAt"); // counted back from the end of `bytes`
    QTest::addColumn<bool>("valid");
    LogText empty;
    empty.count = "0";
    empty.entryLines.clear();
    empty.trailer.clear();
    // With no entry the count line is the last one read: an error before
    // its line end is no end of the file.
    QTest::newRow("inside the count of an empty log") << empty.bytes() << 2 << false;
    const QByteArray full = LogText().bytes();
    QTest::newRow("inside the last entry") << full << 8 << false;
    QTest::newRow("inside the header") << full << int(full.size()) - 5 << false;
    // Nothing past the first byte after the entries is read.
    QTest::newRow("inside the trailer") << full << 1 << true;
}

void TestInstallLog::readErrors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, failAt);
    QFETCH(bool, valid);
    FailingDevice device(bytes, bytes.size() - failAt);
    InstallLog log;
    QCOMPARE(ParseInstallLog(device, log), valid);
}

void TestInstallLog::decodesWindows1252()
{
    QCOMPARE(fromWindows1252(Guard), QStringLiteral("Nicht verändern, nicht löschen!"));
    QCOMPARE(fromWindows1252("\x80\x8C\x9F\xFF"), QStringLiteral("€ŒŸÿ"));
    // Bytes without a character keep their control code rather than vanish.
    QCOMPARE(fromWindows1252("a\x81"
                             "b"),
             QString("a") + QChar(0x81) + "b");
    QCOMPARE(fromWindows1252(QByteArray()), QString());

    QCOMPARE(logPath("doc\\\xE9t\xE9\\lisez-moi.txt"), QStringLiteral("doc/été/lisez-moi.txt"));
    QCOMPARE(logPath("a/b"), QStringLiteral("a/b"));

    QVERIFY(isSafeRelativePath("a\\b.txt"));
    QVERIFY(isSafeRelativePath(""));
    QVERIFY(!isSafeRelativePath("a\\..\\..\\b"));
    QVERIFY(!isSafeRelativePath("Z:x"));
}

QTEST_GUILESS_MAIN(TestInstallLog)
#include "tst_InstallLog.moc"
