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

bool hasColour(const QImage &cell, QRgb colour, int left, int right)
{
    for (int y = kContentTop; y <= kContentBottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (cell.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
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

QList<int> nameRows(const QImage &cell)
{
    QList<int> rows;
    for (const Line &line : pageLines(cell)) {
        if (line.kind == 'N')
            rows.append(line.row);
    }
    return rows;
}

} // namespace

class TestPreviewStrip : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void geometry();
    void cellLayout_data();
    void cellLayout();
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
    for (int k : { -1, 8, 1000 })
        QVERIFY(clip.cell(k).isNull());
}

void TestPreviewStrip::cellLayout_data()
{
    QTest::addColumn<int>("k");
    for (int k = 0; k < 8; ++k)
        QTest::addRow("cell %d", k) << k;
}

// Cell k = 2 x spacing + samples + 4 x numbers: each block is a name with two sample bars under
// it or a name alone, the lower row puts a number mark before each name, and samples and
// spacing each push the next name further down.
void TestPreviewStrip::cellLayout()
{
    QFETCH(int, k);
    const bool samples = k & 1;
    const bool spacing = k & 2;
    const bool numbers = k & 4;

    const PreviewStrip clip;
    const QImage cell = clip.cell(k);
    const QList<Line> lines = pageLines(cell);
    QString kinds;
    for (const Line &line : lines)
        kinds.append(QLatin1Char(line.kind));
    const QString block = samples ? u"NSS"_s : u"N"_s;
    QVERIFY(kinds.size() >= 3 * block.size());
    QCOMPARE(kinds, block.repeated(kinds.size() / block.size()));

    const QList<int> names = nameRows(cell);
    const int pitch = names[1] - names[0];
    for (qsizetype i = 1; i < names.size(); ++i)
        QCOMPARE(names[i] - names[i - 1], pitch);
    const auto pitchOf = [&clip](int other) {
        const QList<int> rows = nameRows(clip.cell(other));
        return rows[1] - rows[0];
    };
    QCOMPARE(pitch > pitchOf(k ^ 2), spacing);
    QCOMPARE(pitch > pitchOf(k ^ 1), samples);
    if (samples) {
        // The sample bars follow their name line by line; only spacing widens the gap after.
        const int linePitch = lines[1].row - lines[0].row;
        QCOMPARE(lines[2].row - lines[1].row, linePitch);
        if (spacing)
            QVERIFY(pitch > 3 * linePitch);
        else
            QCOMPARE(pitch, 3 * linePitch);
    }

    QCOMPARE(hasColour(cell, PreviewStrip::kNumberInk, kContentLeft, 9), numbers);
    QVERIFY(!hasColour(cell, PreviewStrip::kNumberInk, 10, kContentRight));
    for (int y : names)
        QCOMPARE(cell.pixel(5, y), numbers ? PreviewStrip::kNumberInk : PreviewStrip::kInk);
    // The same page as above it, with a mark before each name and nothing else.
    if (numbers)
        QCOMPARE(names, nameRows(clip.cell(k - 4)));
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
