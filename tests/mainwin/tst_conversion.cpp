// The conversion job as the window runs it: through the start button, on
// the real interpreter, with a recording opener standing in for the viewer.

#include "convert/GsDll.h"
#include "mainwin/FilenameEdit.h"
#include "mainwin/LogMemo.h"
#include "mainwin/MainUnit.h"
#include "mainwin/NumericSpinEdit.h"
#include "mainwin/PictureImage.h"
#include "platform/MessageBox.h"
#include "platform/StopSignals.h"
#include "support/FormParts.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <unistd.h>

using namespace convert;
using namespace mainwin;

using namespace testsupport;

namespace {
QByteArray page(const QByteArray& text)
{
    return "%!PS\n/Helvetica findfont 20 scalefont setfont\n72 700 moveto (" + text +
           ") show showpage\n";
}
} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void missingInputIsReportedAndTouchesNothing_data();
    void missingInputIsReportedAndTouchesNothing();
    void outputThatIsASourceIsRefusedInABox();
    void outputNameReadsBackAsWritten_data();
    void outputNameReadsBackAsWritten();
    void outputNameAsTyped_data();
    void outputNameAsTyped();
    void startButtonConvertsSourcesIntoOnePdf();
    void failedRunLeavesFileAndNextRunWorks();
    void clearedShowCheckOpensNothing();
    void viewBeforeAnyConversionOpensEmptyFile();
    void outputWithoutFolderGoesToProgramFolder();
    void addAndDeleteSources();
    void logLines();
    void runIsStoppedOrOutlivesACrash_data();
    void runIsStoppedOrOutlivesACrash();
    void resolutionTypedOutOfBoundsIsBrought_data();
    void resolutionTypedOutOfBoundsIsBrought();

private:
    void clickGo();
    QStringList memoLines() const
    {
        return part<LogMemo>(m_form, "Memo1")->toPlainText().split(QLatin1Char('\n'));
    }

    QTemporaryDir m_dir;
    TMainForm* m_form = nullptr;
    QList<platform::MessageRequest> m_boxes;
    QList<platform::MsgAnswer> m_answers; // the boxes' next answers, then OK
};

void TestConversion::init()
{
    QVERIFY(m_dir.isValid());
    m_boxes.clear();
    platform::setMessageHandler([this](const platform::MessageRequest& request) {
        m_boxes << request;
        return m_answers.isEmpty() ? platform::MsgAnswer::Ok : m_answers.takeFirst();
    });
    gsdll_prepare(); // as the program does: each run's interpreter starts ahead
    m_form = new TMainForm;
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(2);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestConversion::cleanup()
{
    delete m_form;
    platform::setMessageHandler({});
}

void TestConversion::clickGo()
{
    const QPoint centre = part<PictureImage>(m_form, "GoBtn1")->mapTo(m_form, QPoint(50, 15));
    QTest::mouseClick(m_form->windowHandle(), Qt::LeftButton, {}, centre);
}

void TestConversion::missingInputIsReportedAndTouchesNothing_data()
{
    QTest::addColumn<bool>("withSource");
    QTest::addColumn<QString>("output");
    QTest::newRow("no source") << false << "out.pdf";
    QTest::newRow("no output") << true << "";
    QTest::newRow("blank output") << true << "   ";
    QTest::newRow("empty quotes") << true << "\"\"";
}

void TestConversion::missingInputIsReportedAndTouchesNothing()
{
    QFETCH(bool, withSource);
    QFETCH(QString, output);
    RecordingOpener opener;
    if (withSource)
        part<QListWidget>(m_form, "ListBox1")->addItem(m_dir.filePath("missing.ps"));
    const bool named = output.endsWith(QLatin1String(".pdf"));
    part<FilenameEdit>(m_form, "FilenameEdit2")
        ->lineEdit()
        ->setText(named ? m_dir.filePath(output) : output);
    clickGo();

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].text, QStringLiteral("Vous devez spécifier un nom pour le fichier source "
                                             "et un nom pour le fichier PDF!"));
    QCOMPARE(m_boxes[0].caption, QString()); // the system's default title
    QCOMPARE(m_boxes[0].icon, platform::MsgIcon::Information);
    QCOMPARE(m_boxes[0].buttons, platform::MsgButtons::Ok);
    QVERIFY(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
    QVERIFY(part<LogMemo>(m_form, "Memo1")->toPlainText().isEmpty());
    QVERIFY(opener.calls().isEmpty());
}

void TestConversion::outputThatIsASourceIsRefusedInABox()
{
    // A second hard link to the source: another name, the same file.
    const QString source = m_dir.filePath("rapport.ps");
    const QByteArray ps = page("rapport");
    QVERIFY(writeFile(source, ps));
    const QString output = m_dir.filePath("rapport.pdf");
    QVERIFY(::link(QFile::encodeName(source).constData(), QFile::encodeName(output).constData()) ==
            0);
    part<QListWidget>(m_form, "ListBox1")->addItem(source);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(output);
    clickGo();
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes[0].text.contains(source), qPrintable(m_boxes[0].text));
    QCOMPARE(m_boxes[0].caption, QString());
    QCOMPARE(m_boxes[0].icon, platform::MsgIcon::Information);
    QCOMPARE(readFile(source), ps);
    QVERIFY(part<LogMemo>(m_form, "Memo1")->toPlainText().isEmpty());
}

void TestConversion::outputNameReadsBackAsWritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "/d/out.PDF";
    QTest::newRow("blanks") << "/d/mon dossier/out final.PDF";
    QTest::newRow("quotes and blanks") << "/d/rapport \"final\" v2.PDF";
    QTest::newRow("leading quote") << "\"q\".PDF";
    QTest::newRow("trailing blank") << "/d/x ";
}

void TestConversion::outputNameReadsBackAsWritten()
{
    // What the source page writes into the field is what the job reads.
    QFETCH(QString, name);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(name);
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(), name);
}

void TestConversion::outputNameAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("read");
    QTest::newRow("quoted") << "\"/d/a b.pdf\""
                            << "/d/a b.pdf";
    QTest::newRow("quoted, then more") << "\"/d/a b.pdf\" x"
                                       << "/d/a b.pdf";
    QTest::newRow("unclosed quote") << "\"/d/a b.pdf"
                                    << "/d/a b.pdf";
    QTest::newRow("blanks without quotes") << "/d/a b.pdf"
                                           << "/d/a b.pdf";
    QTest::newRow("surrounding blanks") << "  /d/a.pdf "
                                        << "/d/a.pdf";
}

void TestConversion::outputNameAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, read);
    part<FilenameEdit>(m_form, "FilenameEdit2")->lineEdit()->setText(typed);
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(), read);
}

void TestConversion::startButtonConvertsSourcesIntoOnePdf()
{
    RecordingOpener opener;
    // Blanks, accents and quotes in the folder and the names.
    const QString folder = m_dir.filePath(QStringLiteral("dossier été 'x'"));
    const QStringList sources = {folder + "/un.ps", folder + "/deux \"2\".ps",
                                 folder + "/trois.prn"};
    for (int i = 0; i < sources.size(); ++i)
        QVERIFY(writeFile(sources[i], page("page " + QByteArray::number(i + 1))));
    part<QListWidget>(m_form, "ListBox1")->addItems(sources);
    const QString output = folder + QStringLiteral("/résultat final.pdf");
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(output);
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->lineEdit()->text(), '"' + output + '"');
    part<QComboBox>(m_form, "KompatBox")->setCurrentIndex(2);
    part<QRadioButton>(m_form, "SetToQuerCheck")->setChecked(true);
    part<QPushButton>(m_form, "FormatA4Btn")->click();
    const QString before = QDir::currentPath();

    clickGo();

    QVERIFY(m_boxes.isEmpty());
    const PdfInfo pdf = readPdf(output);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount, 3);
    QCOMPARE(pdf.version, QStringLiteral("1.4"));
    for (const QList<double>& box : pdf.mediaBoxes)
        QCOMPARE(box, QList<double>({0, 0, 842, 595}));
    QCOMPARE(memoLines().constLast(), QStringLiteral("terminé..."));
    QCOMPARE(QDir::currentPath(), before);
    QCOMPARE(opener.calls(1), QStringList{output});
    // The progress went all the way and the bar fills its panel.
    QCOMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->progressValue(), 100);
    QVERIFY(part<PictureImage>(m_form, "GoBtn1")->isVisible());
}

void TestConversion::failedRunLeavesFileAndNextRunWorks()
{
    RecordingOpener opener;
    const QString junk = m_dir.filePath("junk.ps");
    QVERIFY(
        writeFile(junk, QByteArray("%!PS\n/notdefined_at_all_here\n") + QByteArray(3000, '\x01')));
    const QString output = m_dir.filePath("failed.pdf");
    part<QListWidget>(m_form, "ListBox1")->addItem(junk);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(output);
    clickGo();
    QCOMPARE(memoLines().constLast(), QStringLiteral("terminé..."));
    QVERIFY(memoLines().size() > 2); // the interpreter's complaint
    QVERIFY(memoLines().at(memoLines().size() - 2).startsWith("La conversion a échoué (code -"));
    QCOMPARE(memoLines().at(memoLines().size() - 3),
             "Le fichier source " + junk + " n'a pas pu être converti.");
    QVERIFY(!QFileInfo::exists(output)); // no PDF is made of a failed run
    // A failed run has no PDF to show, even with the box ticked.
    QVERIFY(part<QCheckBox>(m_form, "showcheck")->isChecked());
    QCOMPARE(opener.calls(1), QStringList());

    const int linesAfterFirst = int(memoLines().size());
    part<QListWidget>(m_form, "ListBox1")->clear();
    const QString good = m_dir.filePath("good.ps");
    QVERIFY(writeFile(good, page("fine")));
    part<QListWidget>(m_form, "ListBox1")->addItem(good);
    clickGo();
    QCOMPARE(readPdf(output).pageCount, 1);
    // The log is never cleared: the second run comes below the first.
    QVERIFY(memoLines().size() > linesAfterFirst);
    QCOMPARE(memoLines().constLast(), QStringLiteral("terminé..."));
}

void TestConversion::runIsStoppedOrOutlivesACrash_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape, then OK") << "escape";
    // The first answer lets the run go on; the next request ends it.
    QTest::newRow("Escape and Cancel, then Escape and OK") << "cancel";
    QTest::newRow("close box, then OK") << "close";
    QTest::newRow("start picture, then OK") << "picture";
    QTest::newRow("interpreter crashes") << "crash";
    // As the program is wired: the run stops and the program is to end.
    QTest::newRow("SIGTERM") << "signal";
}

void TestConversion::runIsStoppedOrOutlivesACrash()
{
    QFETCH(QString, how);
    RecordingOpener opener;
    const QString loop = m_dir.filePath("boucle.ps");
    QVERIFY(writeFile(loop, "%!PS\n72 72 moveto 9 9 lineto stroke showpage\n"
                            "(la boucle commence) = flush {} loop\n"));
    const QString output = m_dir.filePath("boucle.pdf");
    const bool hadOne = QFileInfo::exists(output); // from the row before
    const QByteArray before = readFile(output);
    part<QListWidget>(m_form, "ListBox1")->addItem(loop);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(output);
    QVERIFY(part<QCheckBox>(m_form, "showcheck")->isChecked());

    // While the interpreter loops, the log shows what it said and the window
    // takes the way out it is offered.
    bool acted = false;
    if (how == "cancel")
        m_answers = {platform::MsgAnswer::Cancel};
    QSignalSpy ended(m_form, &TMainForm::endNow);
    if (how == "signal")
        QVERIFY(platform::whenStopRequested(
            m_form, [this](int signal) { m_form->endOnRequest(128 + signal); }));
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (acted || !part<LogMemo>(m_form, "Memo1")->toPlainText().contains("la boucle commence"))
            return;
        acted = true;
        if (how == "cancel") {
            QTest::keyClick(part<LogMemo>(m_form, "Memo1"), Qt::Key_Escape);
            // Cancelled: the run goes on, and the next Escape asks again.
            QVERIFY(runningInterpreter(0) > 0);
            QTest::keyClick(part<LogMemo>(m_form, "Memo1"), Qt::Key_Escape);
        } else if (how == "escape") {
            QTest::keyClick(part<LogMemo>(m_form, "Memo1"), Qt::Key_Escape);
        } else if (how == "close") {
            m_form->close();
        } else if (how == "picture") {
            QTest::mousePress(part<PictureImage>(m_form, "GoBtn1"), Qt::LeftButton, {},
                              QPoint(10, 10));
        } else if (how == "signal") {
            ::raise(SIGTERM);
        } else {
            const int pid = runningInterpreter(0);
            QVERIFY(pid > 0);
            ::kill(pid, SIGSEGV);
        }
    });
    watch.start(30);
    // Should the document never speak, the run is stopped all the same.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    connect(&giveUp, &QTimer::timeout, this, [] { gsdll_stop(); });
    giveUp.start(20000);
    clickGo();
    QVERIFY(acted);

    const QStringList lines = memoLines();
    QCOMPARE(lines.constLast(), QStringLiteral("terminé..."));
    QCOMPARE(ended.size(), how == "signal" ? 1 : 0);
    if (how == "signal") {
        QCOMPARE(ended.at(0).at(0).toInt(), 143);
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("Conversion arrêtée."));
    } else if (how == "crash") {
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(lines.at(lines.size() - 2),
                 QStringLiteral("L'interpréteur s'est arrêté anormalement (signal 11)."));
    } else {
        QCOMPARE(m_boxes.size(), how == "cancel" ? 2 : 1);
        QCOMPARE(m_boxes.last().text, QStringLiteral("Arrêter la conversion en cours?"));
        QCOMPARE(m_boxes[0].buttons, platform::MsgButtons::OkCancel);
        QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("Conversion arrêtée."));
    }
    // The unfinished PDF went; the one from before stays as it was.
    QCOMPARE(QFileInfo::exists(output), hadOne);
    QCOMPARE(readFile(output), before);
    QCOMPARE(QDir(m_dir.path()).entryList({".folivant-*"}, QDir::Files | QDir::Hidden),
             QStringList());
    // Neither opens the viewer; the window stays and converts again.
    QCOMPARE(opener.calls(), QStringList());
    if (how == "signal")
        return; // the program ends here
    QVERIFY(m_form->isVisible());
    m_boxes.clear();
    part<QListWidget>(m_form, "ListBox1")->clear();
    const QString good = m_dir.filePath("bon.ps");
    QVERIFY(writeFile(good, page("encore")));
    part<QListWidget>(m_form, "ListBox1")->addItem(good);
    clickGo();
    QCOMPARE(readPdf(output).pageCount, 1);
    QCOMPARE(opener.calls(1), QStringList{output});
}

void TestConversion::clearedShowCheckOpensNothing()
{
    RecordingOpener opener;
    const QString source = m_dir.filePath("a.ps");
    QVERIFY(writeFile(source, page("a")));
    part<QListWidget>(m_form, "ListBox1")->addItem(source);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(m_dir.filePath("a.pdf"));
    part<QCheckBox>(m_form, "showcheck")->setChecked(false);
    clickGo();
    QCOMPARE(readPdf(m_dir.filePath("a.pdf")).pageCount, 1);
    QTest::qWait(300);
    QVERIFY(opener.calls().isEmpty());
}

void TestConversion::viewBeforeAnyConversionOpensEmptyFile()
{
    RecordingOpener opener;
    const QString output = m_dir.filePath("not yet.pdf");
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(output);
    part<QPushButton>(m_form, "ShowBtn")->click();
    QVERIFY(QFileInfo::exists(output));
    QCOMPARE(QFileInfo(output).size(), 0);
    QCOMPARE(opener.calls(1), QStringList{output});
}

void TestConversion::outputWithoutFolderGoesToProgramFolder()
{
    RecordingOpener opener;
    const QString name =
        QStringLiteral("folivant-test-relative-%1.pdf").arg(QCoreApplication::applicationPid());
    const QString written = platform::programFolder() + name;
    const QString source = m_dir.filePath("r.ps");
    QVERIFY(writeFile(source, page("r")));
    part<QListWidget>(m_form, "ListBox1")->addItem(source);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(name);
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    clickGo();
    QDir::setCurrent(before);
    const PdfInfo pdf = readPdf(written);
    QFile::remove(written);
    QCOMPARE(pdf.pageCount, 1);
    // The viewer gets the file that was written, and nothing is made in the
    // folder that was current.
    QCOMPARE(opener.calls(1), QStringList{written});
    QVERIFY(!QFileInfo::exists(m_dir.filePath(name)));
}

void TestConversion::addAndDeleteSources()
{
    const QString first = m_dir.filePath("first.ps");
    const QString b = m_dir.filePath("b.ps");
    const QString c = m_dir.filePath("c.prn");
    for (const QString& f : {first, b, c})
        QVERIFY(writeFile(f, page("x")));
    part<QListWidget>(m_form, "ListBox1")->addItem(first);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(m_dir.filePath("first.PDF"));

    bool cancelled = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->reject();
        cancelled = true;
    });
    part<QPushButton>(m_form, "AddBtn")->click();
    QVERIFY(cancelled);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 1);

    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setDirectory(m_dir.path());
        dialog->selectFile(QStringLiteral("\"b.ps\" \"c.prn\""));
        static_cast<QDialog*>(dialog)->accept();
    });
    part<QPushButton>(m_form, "AddBtn")->click();
    QStringList items;
    for (int i = 0; i < part<QListWidget>(m_form, "ListBox1")->count(); ++i)
        items << part<QListWidget>(m_form, "ListBox1")->item(i)->text();
    QCOMPARE(items, QStringList({first, b, c}));
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(), m_dir.filePath("first.PDF"));
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 2);

    // First and third of four selected: the second and fourth remain.
    part<QListWidget>(m_form, "ListBox1")->addItem(QStringLiteral("/fourth.ps"));
    part<QListWidget>(m_form, "ListBox1")->item(0)->setSelected(true);
    part<QListWidget>(m_form, "ListBox1")->item(2)->setSelected(true);
    QTest::mouseClick(part<QPushButton>(m_form, "DelBtn"), Qt::LeftButton);
    items.clear();
    for (int i = 0; i < part<QListWidget>(m_form, "ListBox1")->count(); ++i)
        items << part<QListWidget>(m_form, "ListBox1")->item(i)->text();
    QCOMPARE(items, QStringList({b, QStringLiteral("/fourth.ps")}));
    // Nothing selected: nothing goes; an emptied list keeps the output name.
    QTest::mouseClick(part<QPushButton>(m_form, "DelBtn"), Qt::LeftButton);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 2);
    part<QListWidget>(m_form, "ListBox1")->selectAll();
    QTest::mouseClick(part<QPushButton>(m_form, "DelBtn"), Qt::LeftButton);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 0);
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(), m_dir.filePath("first.PDF"));
}

void TestConversion::logLines()
{
    // What PostScript prints lands in the log, one line per output call.
    const QString source = m_dir.filePath("talk.ps");
    QVERIFY(writeFile(source, "%!PS\n(bonjour du fichier) = flush\nshowpage\n"));
    part<QListWidget>(m_form, "ListBox1")->addItem(source);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(m_dir.filePath("talk.pdf"));
    part<QCheckBox>(m_form, "showcheck")->setChecked(false);
    clickGo();
    QVERIFY(memoLines().contains(QStringLiteral("bonjour du fichier")));

    // Lines as the interpreter breaks them, whatever the calls that bring
    // them; carriage returns kept in a line but not shown; a line without
    // its line feed shows at once and goes on when the rest comes.
    LogMemo* memo = part<LogMemo>(m_form, "Memo1");
    memo->clear();
    LogMemo fresh(nullptr);
    for (const char* piece : {"GPL Ghostscript", " 10.00.0", ": ", "Unrecoverable error\n",
                              "Operand stack:\nExecution stack:\n", "\n", "abc\r\n50%\r"})
        fresh.appendOutput(QByteArrayView(piece));
    QCOMPARE(fresh.toPlainText(), QStringLiteral("GPL Ghostscript 10.00.0: Unrecoverable error\n"
                                                 "Operand stack:\nExecution stack:\n\nabc\n50%"));
    fresh.beginBatch();
    fresh.appendOutput(QByteArrayView("100%\n\xc3"));
    fresh.appendOutput(QByteArrayView("\xa9t\xc3\xa9"));
    fresh.appendLine(QStringLiteral("terminé..."));
    fresh.endBatch();
    QCOMPARE(fresh.toPlainText().section('\n', 5), QStringLiteral("50%100%\nété\nterminé..."));
    QCOMPARE(fresh.lineCount(), 8);

    // A document that never stops printing: the newest lines stay, and the
    // first line says how many older ones went.
    LogMemo chatty(nullptr);
    chatty.beginBatch();
    const qint64 total = LogMemo::MaxLines + LogMemo::MaxLines / 2;
    for (qint64 i = 1; i <= total; ++i)
        chatty.appendOutput(QStringLiteral("ligne %1\n").arg(i));
    chatty.endBatch();
    const QStringList kept = chatty.toPlainText().split('\n');
    QVERIFY(kept.size() <= LogMemo::MaxLines + 1);
    QCOMPARE(kept.constLast(), QStringLiteral("ligne %1").arg(total));
    QCOMPARE(kept.first(), QStringLiteral("[Les %1 lignes les plus anciennes ont été retirées du "
                                          "journal.]")
                               .arg(chatty.droppedLines()));
    QCOMPARE(kept.at(1), QStringLiteral("ligne %1").arg(chatty.droppedLines() + 1));
}

void TestConversion::resolutionTypedOutOfBoundsIsBrought_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("used");
    QTest::newRow("in bounds") << "150"
                               << "150";
    QTest::newRow("too large for a whole number") << "99999999999"
                                                  << "100000";
    QTest::newRow("negative") << "-5"
                              << "10";
}

void TestConversion::resolutionTypedOutOfBoundsIsBrought()
{
    // The start button takes no focus: the typed text is still in the field
    // when the job reads it. The interpreter tells what it was given.
    QFETCH(QString, typed);
    QFETCH(QString, used);
    const QString source = m_dir.filePath("res.ps");
    QVERIFY(writeFile(source, "%!PS\ncurrentdistillerparams /ColorImageResolution get == flush\n"
                              "showpage\n"));
    part<QListWidget>(m_form, "ListBox1")->addItem(source);
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName(m_dir.filePath("res.pdf"));
    part<QCheckBox>(m_form, "showcheck")->setChecked(false);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    part<NumericSpinEdit>(m_form, "DPIED")->setFocus();
    part<NumericSpinEdit>(m_form, "DPIED")->selectAll();
    QTest::keyClicks(part<NumericSpinEdit>(m_form, "DPIED"), typed);
    clickGo();
    QVERIFY(part<NumericSpinEdit>(m_form, "DPIED")->hasFocus());
    QVERIFY2(memoLines().contains(used), qPrintable(part<LogMemo>(m_form, "Memo1")->toPlainText()));
}

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
