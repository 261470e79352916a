#include "printing/PreviewStrip.h"

#include <algorithm>
#include <array>

namespace {

// The sixteen colours of the old VGA palette, so that the strip reads the same on any screen.
const QList<QRgb> kPalette = {
    0xff000000,
    0xff800000,
    0xff008000,
    0xff808000,
    0xff000080,
    0xff800080,
    0xff008080,
    0xffc0c0c0,
    0xff808080,
    0xffff0000,
    0xff00ff00,
    0xffffff00,
    0xff0000ff,
    0xffff00ff,
    0xff00ffff,
    0xffffffff,
};

uint indexOf(QRgb colour)
{
    return uint(kPalette.indexOf(colour));
}

void fill(QImage &image, int x, int y, int width, int height, QRgb colour)
{
    const uint index = indexOf(colour);
    for (int row = y; row < y + height; ++row) {
        uchar *line = image.scanLine(row);
        std::fill(line + x, line + x + width, uchar(index));
    }
}

// Page geometry inside a cell: the page with its border, a shadow on the right and bottom,
// and the area where lines may stand.
constexpr int kPageLeft = 2;
constexpr int kPageTop = 2;
constexpr int kPageWidth = 42;
constexpr int kPageHeight = 60;
constexpr int kMargin = 5; // left edge of the lines
constexpr int kLastRow = 58; // lowest row a line may use
constexpr int kRight = 40; // rightmost column a line may use
constexpr int kLinePitch = 3; // a one-pixel line and two rows of paper
constexpr int kNumberWidth = 3;
constexpr int kNameAfterNumber = kMargin + kNumberWidth + 2;

// Names of unequal lengths, as font names are; samples of nearly one length, as one text
// set in fonts of one size is.
constexpr std::array<int, 12> kNameLengths = { 20, 14, 25, 17, 22, 11, 27, 16, 19, 24, 13, 21 };
constexpr std::array<int, 3> kSample1Lengths = { 33, 30, 35 };
constexpr std::array<int, 2> kSample2Lengths = { 27, 24 };

void bar(QImage &image, int left, int top, int x, int y, int length, QRgb colour)
{
    length = std::min(length, kRight - x + 1);
    fill(image, left + x, top + y, length, 1, colour);
}

void drawCell(QImage &image, int k)
{
    const bool samples = k & 1;
    const bool spacing = k & 2;
    const bool numbers = k & 4;
    const int left = (k % PreviewStrip::kColumns) * PreviewStrip::kCellWidth;
    const int top = (k / PreviewStrip::kColumns) * PreviewStrip::kCellHeight;

    fill(image, left + kPageLeft + 1, top + kPageTop + 1, kPageWidth, kPageHeight,
        PreviewStrip::kInk);
    fill(image, left + kPageLeft, top + kPageTop, kPageWidth, kPageHeight, PreviewStrip::kInk);
    fill(image, left + kPageLeft + 1, top + kPageTop + 1, kPageWidth - 2, kPageHeight - 2,
        PreviewStrip::kPaper);

    // The header is set larger than the names, so it is drawn two rows high.
    fill(image, left + kMargin, top + 5, 28, 2, PreviewStrip::kHeaderInk);

    const int lines = samples ? 3 : 1;
    const int blockRows = (lines - 1) * kLinePitch + 1;
    const int blockPitch = lines * kLinePitch + (spacing ? kLinePitch : 0);
    int block = 0;
    for (int y = 10; y + blockRows - 1 <= kLastRow; y += blockPitch, ++block) {
        const int name = kNameLengths[block % kNameLengths.size()];
        if (numbers) {
            bar(image, left, top, kMargin, y, kNumberWidth, PreviewStrip::kNumberInk);
            bar(image, left, top, kNameAfterNumber, y, name, PreviewStrip::kInk);
        } else {
            bar(image, left, top, kMargin, y, name, PreviewStrip::kInk);
        }
        if (samples) {
            bar(image, left, top, kMargin, y + kLinePitch,
                kSample1Lengths[block % kSample1Lengths.size()], PreviewStrip::kSampleInk);
            bar(image, left, top, kMargin, y + 2 * kLinePitch,
                kSample2Lengths[block % kSample2Lengths.size()], PreviewStrip::kSampleInk);
        }
    }
}

} // namespace

PreviewStrip::PreviewStrip()
    : m_strip(kColumns * kCellWidth, kRows * kCellHeight, QImage::Format_Indexed8)
{
    m_strip.setColorTable(kPalette);
    m_strip.fill(indexOf(kDesk));
    for (int k = 0; k < kCellCount; ++k)
        drawCell(m_strip, k);
}

QImage PreviewStrip::cell(int k) const
{
    if (k < 0 || k >= kCellCount)
        return {};
    return m_strip.copy(
        (k % kColumns) * kCellWidth, (k / kColumns) * kCellHeight, kCellWidth, kCellHeight);
}
