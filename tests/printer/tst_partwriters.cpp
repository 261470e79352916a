// A document of many faces, drawn in parts by writers of their own: one whole file, the same
// pages with one writer or two, nothing left when the run is called off, and memory bounded
// by the faces the writers hold at once. The faces are links to one font file, each given a family of its own when
// fontconfig scans it, so that every face is a file of its own to Qt and its PDF engine.
#include "Files.h"
#include "FontSetMain.h"
#include "Poppler.h"
#include "printer/QtPrinterService.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFaces = 1000;
constexpr int kFacesPerPage = 20;
const QString kFontFile = u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"_s;

QString faceName(int face)
{
    return u"Face %1"_s.arg(face, 4, 10, QLatin1Char('0'));
}

bool writeFontSet(const QString &root)
{
    QString config = u"<?xml version=\"1.0\"?>\n<fontconfig>\n<dir>%1</dir>\n"
                     "<cachedir>%1/cache</cachedir>\n"_s.arg(root);
    for (int face = 0; face < kFaces; ++face) {
        const QString link = u"%1/face%2.ttf"_s.arg(root).arg(face);
        if (!QFile::link(kFontFile, link))
            return false;
        config
            += u"<match target=\"scan\"><test name=\"file\"><string>%1</string></test>"
               "<edit name=\"family\" mode=\"assign\"><string>%2</string></edit></match>\n"_s.arg(
                   link, faceName(face));
    }
    return writeFileBytes(root + u"/fonts.conf"_s, (config + u"</fontconfig>\n"_s).toUtf8());
}

// Draws one line in each face from first to last, a page for every twenty, and ends the
// document.
bool printFaces(QtPrinterService &printer, int first, int last)
{
    printer.setFontSize(12);
    for (int face = first; face < last; ++face) {
        const bool pageFull = face > first && (face - first) % kFacesPerPage == 0;
        if (pageFull && !printer.NewPage())
            return false;
        printer.setFontName(faceName(face));
        if (!printer.Print(faceName(face) + u" : portez ce vieux whisky au juge blond"_s))
            return false;
    }
    return printer.EndDoc();
}

long statusKb(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    return text.section(QLatin1String(field) + u':', 1).trimmed().section(u' ', 0, 0).toLong();
}

// How far the resident memory rose above its level before printing the faces to a PDF file in
// dir.
long printingPeakKb(const QString &dir, int first, int last)
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    // Writing 5 starts the peak afresh from the present resident memory.
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1)
        return -1;
    clearRefs.close();
    const long before = statusKb("VmRSS");
    QtPrinterService printer(dir);
    if (!printFaces(printer, first, last))
        return -1;
    return statusKb("VmHWM") - before;
}

// The only file in dir, hidden or not.
QString onlyFile(const QTemporaryDir &dir)
{
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    return files.size() == 1 ? dir.filePath(files.first()) : QString();
}

} // namespace

class TestPartWriters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The writers hold 200 faces at once at most: printing four times as many faces takes
    // hardly more memory than 200, where a document in one piece would take four times as
    // much. The parts still end as one file.
    void peakMemoryDoesNotGrowWithTheFaces()
    {
        QTemporaryDir startUp;
        QTemporaryDir dir;
        QVERIFY(printingPeakKb(startUp.path(), 0, 20) >= 0); // Qt's own start-up, paid once
        const long onePart = printingPeakKb(startUp.path(), 0, 200);
        const long fourParts = printingPeakKb(dir.path(), 200, kFaces);
        QVERIFY(onePart > 0);
        QVERIFY2(fourParts < onePart * 3 / 2,
            qPrintable(u"one part: %1 kB, four: %2 kB"_s.arg(onePart).arg(fourParts)));

        QCOMPARE(pdfPages(onlyFile(dir)), (kFaces - 200) / kFacesPerPage);
    }

    // Parts drawn two at once, each writer with its own faces, give the pages that a single
    // writer gives, in the same order.
    void twoWritersDrawWhatOneDraws()
    {
        QTemporaryDir one;
        QTemporaryDir two;
        QtPrinterService single(one.path());
        single.setWriters(1);
        QVERIFY(printFaces(single, 0, 400));
        QtPrinterService paired(two.path());
        paired.setWriters(2);
        QVERIFY(printFaces(paired, 0, 400));

        const QList<QImage> singlePages = pdfPageImages(onlyFile(one), 100);
        const QList<QImage> pairedPages = pdfPageImages(onlyFile(two), 100);
        QCOMPARE(singlePages.size(), 400 / kFacesPerPage);
        QCOMPARE(pairedPages.size(), singlePages.size());
        for (qsizetype page = 0; page < singlePages.size(); ++page)
            QVERIFY2(pairedPages.at(page) == singlePages.at(page),
                qPrintable(u"page %1 differs"_s.arg(page + 1)));
    }

    // Escape while both writers draw: the run fails there, and once it is dropped, as the
    // layout drops a failed run, neither a part nor the working file stays in the folder.
    void aRunCalledOffLeavesNothing()
    {
        QTemporaryDir dir;
        QtPrinterService printer(dir.path());
        printer.setWriters(2);
        int waits = 0;
        printer.whileWaiting([&waits] { return ++waits < 3; });
        QVERIFY(!printFaces(printer, 0, kFaces));
        QCOMPARE(waits, 3);
        printer.AbortDoc();
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }
};

int main(int argc, char **argv)
{
    return runAmongFontSet<TestPartWriters>(argc, argv, writeFontSet);
}

#include "tst_partwriters.moc"
