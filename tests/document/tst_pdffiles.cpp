// Joining the parts of a document and checking a finished file, on files written by Qt's own
// PDF engine and then damaged as a full disk or a bad copy would damage them.
#include "document/PdfFiles.h"

#include "Files.h"
#include "Outline.h"
#include "Poppler.h"
#include "QtPdf.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

using namespace Qt::StringLiterals;

namespace {

enum class Damage {
    LastByteCut,
    SecondHalfCut,
    ByteInsertedBeforeTable, // every object after it moves away from where the table says
    PageContentByteChanged, // the compressed page content no longer decodes
    TableEntryRemoved, // the table's first subsection is one entry short
    FontLengthChanged, // the embedded font's stream no longer ends where it says
    TextWithin, // no PDF at all, only its first and last bytes
};

// The number after "<key> " in the object that first names key, as it reads "N 0 R".
QByteArray referenceAfter(const QByteArray &pdf, const QByteArray &key, qsizetype from = 0)
{
    const qsizetype at = pdf.indexOf(key + ' ', from);
    return at < 0 ? QByteArray() : pdf.mid(at + key.size() + 1).split(' ').first();
}

// Where the value of the indirect object number begins.
qsizetype objectValueAt(const QByteArray &pdf, const QByteArray &number)
{
    const qsizetype object = pdf.indexOf("\n" + number + " 0 obj\n");
    return object < 0 ? -1 : object + number.size() + 8;
}

QByteArray damaged(QByteArray pdf, Damage damage)
{
    switch (damage) {
    case Damage::LastByteCut:
        pdf.chop(1);
        break;
    case Damage::SecondHalfCut:
        pdf.truncate(pdf.size() / 2);
        break;
    case Damage::ByteInsertedBeforeTable:
        pdf.insert(pdf.indexOf("\n1 0 obj"), ' ');
        break;
    case Damage::PageContentByteChanged: {
        // Qt writes the first page's content as the file's first stream.
        const qsizetype at = pdf.indexOf("stream\n") + 15;
        pdf[at] = char(pdf[at] ^ 0x55);
        break;
    }
    case Damage::TableEntryRemoved: {
        const qsizetype table = pdf.lastIndexOf("\nxref\n");
        const qsizetype firstEntry = pdf.indexOf('\n', pdf.indexOf('\n', table + 1) + 1) + 1;
        pdf.remove(firstEntry + 20, 20);
        break;
    }
    case Damage::FontLengthChanged: {
        // The font file's length is an object of its own; changing a digit keeps every offset.
        // One more would only take in the line end before "endstream".
        const qsizetype font = objectValueAt(pdf, referenceAfter(pdf, "/FontFile2"));
        const qsizetype length = objectValueAt(pdf, referenceAfter(pdf, "/Length", font));
        const qsizetype lastDigit = pdf.indexOf('\n', length) - 1;
        pdf[lastDigit] = pdf[lastDigit] == '0' ? '3' : char(pdf[lastDigit] - 1);
        break;
    }
    case Damage::TextWithin:
        pdf = "%PDF-1.4\n" + QByteArray(100, 'x') + "\n%%EOF\n";
        break;
    }
    return pdf;
}

// What a document drawn in parts relies on: the join, then the joined file read back whole.
bool joinedWhole(const QStringList &parts, const QString &target,
    const PdfFiles::DocumentInfo &info = {}, const QPageRanges &pages = {})
{
    return PdfFiles::join(parts, target, info, pages) && PdfFiles::isComplete(target);
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestPdfFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    void joinKeepsEveryPageInOrderAndTheFirstPartsInformation()
    {
        const QStringList parts = { path(u"a.pdf"_s), path(u"b.pdf"_s), path(u"c.pdf"_s) };
        QVERIFY(writeQtPdf(parts[0], u"first"_s, 2, u"Catalogue d’essai"_s));
        QVERIFY(writeQtPdf(parts[1], u"second"_s, 3, u"not this title"_s));
        QVERIFY(writeQtPdf(parts[2], u"third"_s, 1));
        const QString joined = path(u"joined.pdf"_s);

        QVERIFY(PdfFiles::join(parts, joined));

        QCOMPARE(pdfInfoField(joined, u"Title"_s), u"Catalogue d’essai"_s);
        const QStringList pages = pdfText(joined).split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 6);
        const QStringList expected = { u"first page 1"_s, u"first page 2"_s, u"second page 1"_s,
            u"second page 2"_s, u"second page 3"_s, u"third page 1"_s };
        for (int n = 0; n < 6; ++n)
            QCOMPARE(pages[n].trimmed(), expected[n]);
        QVERIFY(PdfFiles::isComplete(joined));
    }

    // Each outline entry opens its page, in the order given, under the title a reader shows.
    void theJoinedFileCarriesTheTitleAndTheOutline()
    {
        const QStringList parts = { path(u"a.pdf"_s), path(u"b.pdf"_s) };
        QVERIFY(writeQtPdf(parts[0], u"first"_s, 2));
        QVERIFY(writeQtPdf(parts[1], u"second"_s, 2));
        const PdfFiles::DocumentInfo info { u"Polices françaises"_s, u"Typovise 2.0"_s,
            { { u"Écriture"_s, 0, 700 }, { u"Lato"_s, 0, 500 }, { u"Zapf"_s, 3, 800 } } };
        const QString joined = path(u"joined.pdf"_s);

        QVERIFY(PdfFiles::join(parts, joined, info));

        QCOMPARE(pdfInfoField(joined, u"Title"_s), info.title);
        QCOMPARE(pdfInfoField(joined, u"Creator"_s), info.creator);
        // A reader opens the file with the outline beside the pages.
        QCOMPARE(pdfPageMode(joined), "/UseOutlines");
        const QList<OutlineEntry> expected
            = { { u"Écriture"_s, 0, 700 }, { u"Lato"_s, 0, 500 }, { u"Zapf"_s, 3, 800 } };
        QCOMPARE(pdfOutline(joined), expected);
    }

    void aDamagedFileIsRefused_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<bool>("endsWhole"); // whether the cheap first look lets it pass
        QTest::newRow("cut by its last byte") << Damage::LastByteCut << false;
        QTest::newRow("cut in the middle") << Damage::SecondHalfCut << false;
        QTest::newRow("objects moved by a byte") << Damage::ByteInsertedBeforeTable << true;
        QTest::newRow("a page's content altered") << Damage::PageContentByteChanged << true;
        QTest::newRow("an object missing from the table") << Damage::TableEntryRemoved << true;
        QTest::newRow("a font's stream of the wrong length") << Damage::FontLengthChanged << true;
        QTest::newRow("text between a PDF's first and last bytes") << Damage::TextWithin << true;
    }

    void aDamagedFileIsRefused()
    {
        QFETCH(Damage, damage);
        QFETCH(bool, endsWhole);
        const QString whole = path(u"whole.pdf"_s);
        const QString other = path(u"other.pdf"_s);
        const QString broken = path(u"broken.pdf"_s);
        QVERIFY(writeQtPdf(whole, u"whole"_s, 2));
        QVERIFY(writeQtPdf(other, u"other"_s, 1));
        QVERIFY(writeFileBytes(broken, damaged(fileBytes(whole), damage)));
        QVERIFY(PdfFiles::isComplete(whole));
        QVERIFY(PdfFiles::endsWhole(whole));

        QCOMPARE(PdfFiles::endsWhole(broken), endsWhole);
        QVERIFY(!PdfFiles::isComplete(broken));
        QVERIFY(!joinedWhole({ broken, other }, path(u"first-broken.pdf"_s)));
        QVERIFY(!joinedWhole({ other, broken }, path(u"later-broken.pdf"_s)));
    }

    // A reader opens it without a password, but its streams are copied as they are: joined
    // into a file that is not encrypted, they would not read.
    void anEncryptedPartIsRefused()
    {
        const QString plain = path(u"plain.pdf"_s);
        const QString encrypted = path(u"encrypted.pdf"_s);
        QVERIFY(writeQtPdf(plain, u"plain"_s, 1));
        QPDF pdf;
        pdf.processFile(QFile::encodeName(plain).constData());
        QPDFWriter writer(pdf, QFile::encodeName(encrypted).constData());
        writer.setR6EncryptionParameters(
            "", "owner", true, true, true, true, true, true, qpdf_r3p_full, true);
        writer.write();
        QVERIFY(PdfFiles::isComplete(encrypted));

        QVERIFY(!PdfFiles::join({ plain, encrypted }, path(u"joined.pdf"_s)));
    }

    void aMissingPartOrAnUnwritableTargetFailsTheJoin()
    {
        const QString part = path(u"part.pdf"_s);
        QVERIFY(writeQtPdf(part, u"part"_s, 1));

        QVERIFY(!PdfFiles::join({}, path(u"none.pdf"_s)));
        QVERIFY(!PdfFiles::isComplete(path(u"missing.pdf"_s)));
        QVERIFY(!PdfFiles::join({ part, path(u"missing.pdf"_s) }, path(u"joined.pdf"_s)));
        QVERIFY(!PdfFiles::join({ part, part }, path(u"no-such-folder/joined.pdf"_s)));
    }

    // A page range keeps those pages, in order, and the outline entries that stand on them.
    void onlyThePagesAskedForStay()
    {
        const QStringList parts = { path(u"a.pdf"_s), path(u"b.pdf"_s) };
        QVERIFY(writeQtPdf(parts[0], u"first"_s, 2));
        QVERIFY(writeQtPdf(parts[1], u"second"_s, 3));
        PdfFiles::DocumentInfo info;
        info.outline = { { u"Alpha"_s, 0, 700 }, { u"Beta"_s, 1, 600 }, { u"Gamma"_s, 4, 500 } };
        const QPageRanges pagesAsked = QPageRanges::fromString(u"2-3,5"_s);
        const QString joined = path(u"joined.pdf"_s);

        QVERIFY(joinedWhole(parts, joined, info, pagesAsked));

        const QStringList pages = pdfText(joined).split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 3);
        QCOMPARE(pages[0].trimmed(), u"first page 2"_s);
        QCOMPARE(pages[1].trimmed(), u"second page 1"_s);
        QCOMPARE(pages[2].trimmed(), u"second page 3"_s);
        const QList<OutlineEntry> expected = { { u"Beta"_s, 0, 600 }, { u"Gamma"_s, 2, 500 } };
        QCOMPARE(pdfOutline(joined), expected);

        // A range past the document's end leaves nothing to print.
        const QPageRanges pastTheEnd = QPageRanges::fromString(u"9-10"_s);
        QVERIFY(!PdfFiles::join(parts, path(u"nothing.pdf"_s), info, pastTheEnd));
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPdfFiles)
#include "tst_pdffiles.moc"
