#include "printing/PreviewStrip.h"

#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// The content of a miniature page, below the header bar and inside the border.
constexpr int kContentLeft = 3;
constexpr int kContentRight = 42;
constexpr int kContentTop = 8;
constexpr int kContentBottom = 60;

bool hasColour(const QImage &cell, QRgb colour, int left = kContentLeft, int right = kContentRight)
{
    for (int y = kContentTop; y <= kContentBottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (cell.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
}

// Rows on which a font name stands: dark ink inside the page.
QList<int> nameRows(const QImage &cell)
{
    QList<int> rows;
    for (int y = kContentTop; y <= kContentBottom; ++y) {
        for (int x = kContentLeft; x <= kContentRight; ++x) {
            if (cell.pixel(x, y) == PreviewStrip::kInk) {
                rows.append(y);
                break;
            }
        }
    }
    return rows;
}

struct Line
{
    int row;
    char kind; // 'N' a font name, 'S' a sample bar
};

// The lines of a miniature page from top to bottom, below its header.
QList<Line> pageLines(const QImage &cell)
{
    QList<Line> lines;
    for (int y = kContentTop; y <= kContentBottom; ++y) {
        for (int x = kContentLeft; x <= kContentRight; ++x) {
            const QRgb colour = cell.pixel(x, y);
            if (colour == PreviewStrip::kInk || colour == PreviewStrip::kNumberInk) {
                lines.append({ y, 'N' });
                break;
            }
            if (colour == PreviewStrip::kSampleInk) {
                lines.append({ y, 'S' });
                break;
            }
        }
    }
    return lines;
}

} // namespace

class TestPreviewStrip : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void geometry();
    void outsideCells_data();
    void outsideCells();
    void cellLayout_data();
    void cellLayout();
    void blocksAndGaps_data();
    void blocksAndGaps();
    void cellsAreDistinct();
};

void TestPreviewStrip::geometry()
{
    const PreviewStrip clip;
    const QImage strip = clip.strip();
    QCOMPARE(strip.size(), QSize(188, 130));
    QCOMPARE(strip.format(), QImage::Format_Indexed8);
    QVERIFY(strip.colorCount() <= 16);
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < strip.width(); ++x)
            QVERIFY(strip.pixelIndex(x, y) < strip.colorCount());
    }

    for (int k = 0; k < PreviewStrip::kCellCount; ++k) {
        const QImage cell = clip.cell(k);
        QCOMPARE(cell.size(), QSize(47, 65));
        QCOMPARE(cell, strip.copy((k % 4) * 47, (k / 4) * 65, 47, 65));
        // Every cell is a page on the desk, framed alike.
        QCOMPARE(cell.pixel(0, 0), PreviewStrip::kDesk);
        QCOMPARE(cell.pixel(2, 2), PreviewStrip::kInk);
        QCOMPARE(cell.pixel(20, 3), PreviewStrip::kPaper);
        QCOMPARE(cell.pixel(10, 5), PreviewStrip::kHeaderInk);
    }
}

void TestPreviewStrip::outsideCells_data()
{
    QTest::addColumn<int>("k");
    QTest::newRow("below") << -1;
    QTest::newRow("above") << 8;
    QTest::newRow("far") << 1000;
}

void TestPreviewStrip::outsideCells()
{
    QFETCH(int, k);
    QVERIFY(PreviewStrip().cell(k).isNull());
}

void TestPreviewStrip::cellLayout_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("spacing");
    QTest::addColumn<bool>("numbers");

    for (int k = 0; k < 8; ++k) {
        QTest::addRow("cell %d", k) << k << bool(k & 1) << bool(k & 2) << bool(k & 4);
    }
}

void TestPreviewStrip::cellLayout()
{
    QFETCH(int, k);
    QFETCH(bool, samples);
    QFETCH(bool, spacing);
    QFETCH(bool, numbers);

    const PreviewStrip clip;
    const QImage cell = clip.cell(k);
    QCOMPARE(hasColour(cell, PreviewStrip::kSampleInk), samples);
    QCOMPARE(hasColour(cell, PreviewStrip::kNumberInk, kContentLeft, 9), numbers);
    QVERIFY(!hasColour(cell, PreviewStrip::kNumberInk, 10, kContentRight));

    const QList<int> rows = nameRows(cell);
    QVERIFY(rows.size() >= 3);
    if (numbers) {
        // The same page as above it, with a mark before each name and nothing else.
        QCOMPARE(rows, nameRows(clip.cell(k - 4)));
        for (int y : rows)
            QVERIFY2(cell.pixel(5, y) == PreviewStrip::kNumberInk, qPrintable(QString::number(y)));
    } else {
        for (int y : rows)
            QCOMPARE(cell.pixel(5, y), PreviewStrip::kInk);
    }

    // Samples and spacing both push the next name further down.
    const int pitch = rows[1] - rows[0];
    if (spacing)
        QVERIFY(pitch > nameRows(clip.cell(k & ~2))[1] - nameRows(clip.cell(k & ~2))[0]);
    if (samples) {
        QVERIFY(pitch > nameRows(clip.cell(k & ~1))[1] - nameRows(clip.cell(k & ~1))[0]);
        QVERIFY(cell.pixel(5, rows[0] + 3) == PreviewStrip::kSampleInk);
    }
}

void TestPreviewStrip::blocksAndGaps_data()
{
    QTest::addColumn<int>("k");
    for (int k = 0; k < 8; ++k)
        QTest::addRow("cell %d", k) << k;
}

// Each block is a name with two sample bars under it or a name alone; the gap between two
// blocks is the gap between two lines, or wider with spacing.
void TestPreviewStrip::blocksAndGaps()
{
    QFETCH(int, k);
    const bool samples = k & 1;
    const bool spacing = k & 2;

    const QList<Line> lines = pageLines(PreviewStrip().cell(k));
    QString kinds;
    for (const Line &line : lines)
        kinds.append(QLatin1Char(line.kind));
    const QString block = samples ? u"NSS"_s : u"N"_s;
    QVERIFY(kinds.size() >= 3 * block.size());
    QCOMPARE(kinds, block.repeated(kinds.size() / block.size()));

    const int linePitch = samples ? lines[1].row - lines[0].row : -1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const int gap = lines[i].row - lines[i - 1].row;
        if (lines[i].kind == 'S')
            QCOMPARE(gap, linePitch);
        else if (samples && spacing)
            QVERIFY2(gap > linePitch, qPrintable(QString::number(lines[i].row)));
        else if (samples)
            QCOMPARE(gap, linePitch);
    }
    if (!samples) {
        // Names alone: one pitch throughout, wider with spacing than without.
        const int pitch = lines[1].row - lines[0].row;
        for (qsizetype i = 1; i < lines.size(); ++i)
            QCOMPARE(lines[i].row - lines[i - 1].row, pitch);
        const QList<Line> other = pageLines(PreviewStrip().cell(k ^ 2));
        QCOMPARE(pitch > other[1].row - other[0].row, spacing);
    }
}

void TestPreviewStrip::cellsAreDistinct()
{
    const PreviewStrip clip;
    QSet<QByteArray> seen;
    for (int k = 0; k < PreviewStrip::kCellCount; ++k) {
        const QImage cell = clip.cell(k);
        QByteArray bytes;
        for (int y = 0; y < cell.height(); ++y)
            bytes.append(reinterpret_cast<const char *>(cell.constScanLine(y)), cell.width());
        seen.insert(bytes);
    }
    QCOMPARE(seen.size(), 8);
}

QTEST_GUILESS_MAIN(TestPreviewStrip)
#include "tst_previewstrip.moc"
