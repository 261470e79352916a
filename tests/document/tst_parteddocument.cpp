// A document drawn in parts, on its own: where its files go, what a finished one is called,
// and that nothing of a dropped or failed one stays behind.
#include "document/PartedDocument.h"
#include "document/PdfFiles.h"

#include "Files.h"
#include "Poppler.h"
#include "QtPdf.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

class TestPartedDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void aRelativeFolderIsRefused()
    {
        PartedDocument document;

        QVERIFY(!document.begin(u"catalogues"_s));
        QVERIFY(!document.isOpen());
    }

    void finishingTheParts_data()
    {
        QTest::addColumn<int>("parts");
        QTest::addColumn<int>("damaged"); // the part damaged, from 1; 0 for none
        QTest::addColumn<bool>("cutShort"); // otherwise its objects are moved by a byte
        QTest::newRow("one part, read back whole, is the hidden working file") << 1 << 0 << false;
        QTest::newRow("three parts, joined into the hidden working file") << 3 << 0 << false;
        QTest::newRow("a single part with its objects moved leaves nothing") << 1 << 1 << false;
        QTest::newRow("the second of three parts cut short leaves nothing") << 3 << 2 << true;
        QTest::newRow("the last of three parts with its objects moved leaves nothing")
            << 3 << 3 << false;
    }

    // A finished document keeps its working file alone, the parts removed; a failed one,
    // dropped, keeps nothing.
    void finishingTheParts()
    {
        QFETCH(int, parts);
        QFETCH(int, damaged);
        QFETCH(bool, cutShort);
        PartedDocument document;
        QVERIFY(document.begin(m_dir->path()));
        for (int n = 1; n <= parts; ++n) {
            const QString part = document.nextPart();
            QCOMPARE(QFileInfo(part).absolutePath(), m_dir->path());
            QVERIFY(writeQtPdf(part, u"part %1"_s.arg(n), 2));
            if (n == damaged) {
                QByteArray bytes = fileBytes(part);
                if (cutShort)
                    bytes.chop(bytes.size() / 3);
                else
                    bytes.insert(bytes.indexOf("\n1 0 obj"), ' ');
                QVERIFY(writeFileBytes(part, bytes));
            }
            // A part cut short stops the run as soon as its writer ends it; one damaged
            // inside, when it is joined.
            const bool ended = PdfFiles::endsWhole(part);
            QCOMPARE(ended, n != damaged || !cutShort);
            if (!ended)
                break;
        }

        const bool whole = damaged == 0;
        QCOMPARE(document.finish(), whole);

        if (whole) {
            QVERIFY(QFileInfo(document.file()).fileName().startsWith(u'.'));
            QCOMPARE(pdfPages(document.file()), 2 * parts);
            QCOMPARE(entries(), QStringList { QFileInfo(document.file()).fileName() });
        } else {
            document.drop();
            QVERIFY(!document.isOpen());
            QCOMPARE(entries(), QStringList());
        }
    }

    // Two writers end their parts in any order: a part joins once every part before it has,
    // and its file goes as it does.
    void partsDrawnOutOfOrderJoinInOrder()
    {
        PartedDocument document;
        QVERIFY(document.begin(m_dir->path()));
        const QStringList parts = { document.nextPart(), document.nextPart(), document.nextPart() };
        for (qsizetype n = 0; n < parts.size(); ++n)
            QVERIFY(writeQtPdf(parts[n], u"part %1"_s.arg(n + 1), 1));

        QVERIFY(document.joinDrawn({ parts[1] }));
        const bool secondWaits = QFile::exists(parts[0]) && QFile::exists(parts[1]);
        QVERIFY(document.joinDrawn({ parts[0] }));
        const bool firstTwoJoined = !QFile::exists(parts[0]) && !QFile::exists(parts[1]);
        const bool thirdWaits = QFile::exists(parts[2]);
        QVERIFY(document.finish());

        QVERIFY(secondWaits);
        QVERIFY(firstTwoJoined);
        QVERIFY(thirdWaits);
        const QStringList pages = pdfText(document.file()).split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 3);
        for (qsizetype n = 0; n < pages.size(); ++n)
            QCOMPARE(pages[n].trimmed(), u"part %1 page 1"_s.arg(n + 1));
        QCOMPARE(entries(), QStringList { QFileInfo(document.file()).fileName() });
    }

    void aDocumentDestroyedUnfinishedLeavesNothing()
    {
        {
            PartedDocument document;
            QVERIFY(document.begin(m_dir->path()));
            QVERIFY(writeQtPdf(document.nextPart(), u"one"_s, 1));
            QVERIFY(writeQtPdf(document.nextPart(), u"two"_s, 1));
        }
        QCOMPARE(entries(), QStringList());
    }

    // A name of its own in the folder, never replacing a file there, or the name the user chose,
    // replacing the file there.
    void theFinishedFileTakesItsName()
    {
        const QDateTime begun(QDate(2026, 12, 8), QTime(9, 5, 7));
        const QString chosen = m_dir->filePath(u"mes polices.pdf"_s);
        QVERIFY(writeFileBytes(chosen, "an older catalogue"));
        QStringList kept;
        for (int n = 0; n < 4; ++n) {
            PartedDocument document;
            QVERIFY(document.begin(m_dir->path()));
            QVERIFY(writeQtPdf(document.nextPart(), u"catalogue %1"_s.arg(n), 1));
            QVERIFY(document.finish());
            if (n < 3)
                kept.append(QFileInfo(document.keepInFolder(m_dir->path(), begun)).fileName());
            else
                QVERIFY(document.keepAs(chosen));
            QVERIFY(!document.isOpen());
        }

        const QStringList expected = { u"Typovise 2026-12-08 09-05-07.pdf"_s,
                                       u"Typovise 2026-12-08 09-05-07 (2).pdf"_s,
                                       u"Typovise 2026-12-08 09-05-07 (3).pdf"_s };
        QCOMPARE(kept, expected);
        QStringList byName = expected + QStringList { u"mes polices.pdf"_s };
        byName.sort();
        QCOMPARE(entries(), byName);
        QCOMPARE(pdfText(m_dir->filePath(expected[0])).trimmed(), u"catalogue 0 page 1"_s);
        QCOMPARE(pdfText(chosen).trimmed(), u"catalogue 3 page 1"_s);
    }

private:
    QStringList entries() const { return entriesIn(m_dir->path()); }
    std::optional<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestPartedDocument)
#include "tst_parteddocument.moc"
