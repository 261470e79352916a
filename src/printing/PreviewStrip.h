// The eight layout preview pictures of the print dialog, drawn pixel by pixel so that they
// stay crisp when the dialog stretches them and need no font or painter. Each cell is a
// miniature page: a header bar at the top, then a column of font names as thin dark bars,
// with two grey sample bars under each name, a gap between fonts, or a short number mark in
// front of each name, as the cell's layout asks.
#pragma once

#include <QImage>

class PreviewStrip
{
public:
    static constexpr int kCellWidth = 47;
    static constexpr int kCellHeight = 65;
    static constexpr int kColumns = 4;
    static constexpr int kRows = 2;
    static constexpr int kCellCount = kColumns * kRows;

    // The sixteen colours of the strip; the inks are what the pictures are read by.
    static constexpr QRgb kDesk = 0xffc0c0c0;
    static constexpr QRgb kPaper = 0xffffffff;
    static constexpr QRgb kInk = 0xff000000;
    static constexpr QRgb kHeaderInk = 0xff000080;
    static constexpr QRgb kSampleInk = 0xff808080;
    static constexpr QRgb kNumberInk = 0xffff0000;

    PreviewStrip();

    // 188 by 130 pixels, 16 colours, cells numbered row by row.
    QImage strip() const { return m_strip; }
    // Cell k = 2 × spacing + samples + 4 × numbering; a null image for k outside 0 to 7,
    // which no choice of options gives.
    QImage cell(int k) const;

private:
    QImage m_strip;
};
