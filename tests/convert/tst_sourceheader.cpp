// A source's header comments: its title in the encodings that print files
// use, whether it is an illustration and its box; and the texts that the
// marks give the PDF.

#include "convert/PdfMarks.h"
#include "convert/SourceHeader.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace convert;
using namespace testsupport;

class TestSourceHeader : public QObject
{
    Q_OBJECT
private slots:
    void header_data();
    void header();
    void files();
    void texts_data();
    void texts();
};

void TestSourceHeader::header_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("eps");
    QTest::addColumn<QList<double>>("box");
    const QList<double> none;

    QTest::newRow("UTF-8") << QByteArray("%!PS-Adobe-3.0\n%%Title: Premier été\n") << QByteArray()
                           << "Premier été" << false << none;
    QTest::newRow("Windows-1252, CR LF")
        << QByteArray("%!PS-Adobe-3.0\r\n%%Title: L\x92\xe9t\xe9 \x80\r\n%%EndComments\r\n")
        << QByteArray() << "L’été €" << false << none;
    QTest::newRow("PostScript string, lone CR")
        << QByteArray("%!PS\r%%Title: (Deuxi\\350me \\(b\\) (ok)\\\\)\r") << QByteArray()
        << "Deuxième (b) (ok)\\" << false << none;
    QTest::newRow("parentheses that are not one string")
        << QByteArray("%!PS\n%%Title: (brouillon) rapport\n") << QByteArray()
        << "(brouillon) rapport" << false << none;
    QTest::newRow("controls and blanks, a continued line")
        << QByteArray("%!PS\n%%Title: \t un\x01 \x7f titre  \n%%+ continué\n") << QByteArray()
        << "un titre continué" << false << none;
    QTest::newRow("printer commands first")
        << QByteArray("\x1b%-12345X@PJL JOB NAME=\"r\"\r\n@PJL ENTER LANGUAGE = POSTSCRIPT\r\n"
                      "\x04%!PS-Adobe-3.0\r\n%%Title: Microsoft Word - rapport.docx\r\n")
        << QByteArray() << "Microsoft Word - rapport.docx" << false << none;
    QTest::newRow("the first title counts, within the header")
        << QByteArray("%!PS\n%%Title: un\n%%Title: deux\n") << QByteArray() << "un" << false
        << none;
    QTest::newRow("no title after the header")
        << QByteArray("%!PS\n%%Creator: x\n%%EndComments\n%%Title: tard\n") << QByteArray()
        << QString() << false << none;
    QTest::newRow("blank title") << QByteArray("%!PS\n%%Title:   \n") << QByteArray() << QString()
                                 << false << none;
    QTest::newRow("title (atend)")
        << QByteArray("%!PS\n%%Title: (atend)\n") << QByteArray() << QString() << false << none;

    QTest::newRow("EPS") << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 113 85\n")
                         << QByteArray() << QString() << true << QList<double>{0, 0, 113, 85};
    QTest::newRow("the fine box first, wherever it stands")
        << QByteArray("%!PS-Adobe-2.0 EPSF-2.0\n%%HiResBoundingBox: 10.5 -2.25 50 60.75\n"
                      "%%BoundingBox: 10 -3 50 61\n")
        << QByteArray() << QString() << true << QList<double>{10.5, -2.25, 50, 60.75};
    QTest::newRow("a fine box without a size does not count")
        << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 1 2 30 40\n"
                      "%%HiResBoundingBox: 5 5 5 9\n")
        << QByteArray() << QString() << true << QList<double>{1, 2, 30, 40};
    QTest::newRow("box at the end")
        << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n%%EndComments\n")
        << QByteArray("showpage\n%%Trailer\n%%BoundingBox: (atend)\n%%BoundingBox: 0 0 99 "
                      "88\n%%EOF\n")
        << QString() << true << QList<double>{0, 0, 99, 88};
    // Scaled to the page, these would fail the run.
    QTest::newRow("a box too small to scale")
        << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 1e-40 1e-40\n") << QByteArray()
        << QString() << true << none;
    QTest::newRow("a box too far")
        << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 1e300 9\n") << QByteArray()
        << QString() << true << none;
    QTest::newRow("a page, not an illustration")
        << QByteArray("%!PS-Adobe-3.0\n%%BoundingBox: 0 0 612 792\n%%Title: EPSF-3.0\n")
        << QByteArray() << "EPSF-3.0" << false << QList<double>{0, 0, 612, 792};
}

void TestSourceHeader::header()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, tail);
    QFETCH(QString, title);
    QFETCH(bool, eps);
    QFETCH(QList<double>, box);
    const SourceHeader h = parseSourceHeader(head.toStdString(), tail.toStdString());
    QCOMPARE(QString::fromStdString(h.title), title);
    QCOMPARE(h.eps, eps);
    QCOMPARE(h.hasBox, !box.isEmpty());
    if (h.hasBox)
        QCOMPARE((QList<double>{h.llx, h.lly, h.urx, h.ury}), box);
}

void TestSourceHeader::files()
{
    QTemporaryDir dir;
    // An MS-DOS EPS: a binary header, then the PostScript part, then a
    // picture that is no PostScript.
    const QByteArray ps = "%!PS-Adobe-3.0 EPSF-3.0\r\n%%Title: Figure\r\n"
                          "%%BoundingBox: 0 0 40 30\r\n%%EndComments\r\nshowpage\r\n";
    QByteArray dos = QByteArray::fromHex("c5d0d3c6");
    for (const uint32_t value : {30u, uint32_t(ps.size()), 0u, 0u, uint32_t(30 + ps.size()), 9u})
        for (int i = 0; i < 4; ++i)
            dos += char(value >> (8 * i) & 0xff);
    dos += "\xff\xff" + ps + "II*\x00TIFF";
    QVERIFY(writeFile(dir.filePath("figure.eps"), dos));
    const SourceHeader figure = readSourceHeader(dir.filePath("figure.eps").toStdString());
    QVERIFY(figure.eps && figure.hasBox);
    QCOMPARE(figure.title, std::string("Figure"));
    QCOMPARE(figure.urx, 40.0);

    // A box at the end of a file longer than what is read of its start.
    const QByteArray body =
        QByteArray("% ").append(QByteArray(100, 'x')).append('\n').repeated(800);
    QVERIFY(writeFile(dir.filePath("long.eps"),
                      "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n%%EndComments\n" + body +
                          "%%Trailer\n%%BoundingBox: 1 2 3 4\n%%EOF\n"));
    const SourceHeader atEnd = readSourceHeader(dir.filePath("long.eps").toStdString());
    QVERIFY(atEnd.hasBox);
    QCOMPARE(atEnd.ury, 4.0);

    // Not files to read: nothing, and at once (a pipe would wait for a writer).
    const QByteArray fifo = QFile::encodeName(dir.filePath("tube.ps"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    for (const QString& name : {dir.filePath("tube.ps"), dir.path(), dir.filePath("absent.ps")}) {
        const SourceHeader h = readSourceHeader(name.toStdString());
        QVERIFY2(!h.eps && !h.hasBox && h.title.empty(), qPrintable(name));
    }

    // Outline entries of sources without a title are named after the file.
    const SourceHeader untitled;
    QCOMPARE(outlineTitle(untitled, "/a/archive.part1.prn"), std::string("archive.part1"));
    QCOMPARE(outlineTitle(untitled, "./.cache"), std::string(".cache"));
    QCOMPARE(outlineTitle(untitled, "/a.b/R\xe9sum\xe9.ps"), std::string("Résumé"));
}

void TestSourceHeader::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pdfString");
    QTest::newRow("ASCII") << "a(b)"
                           << "<61286229>";
    QTest::newRow("accents") << "été"
                             << "<FEFF00E9007400E9>";
    QTest::newRow("beyond 16 bits") << "\U0001D11E"
                                    << "<FEFFD834DD1E>";
}

void TestSourceHeader::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, pdfString);
    QCOMPARE(QString::fromStdString(pdfTextString(text.toStdString())), pdfString);
}

QTEST_GUILESS_MAIN(TestSourceHeader)
#include "tst_sourceheader.moc"
