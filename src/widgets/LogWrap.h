#pragma once

#include <QByteArrayView>
#include <QFont>

#include <array>

class QPaintDevice;

// Where the log's lines wrap: a line breaks after the last space or tab
// that lets its row fit the width (spaces at the end of a row may reach
// past it), or, in a word longer than the width, before the character that
// would not fit. A soft hyphen takes no room inside a row but is drawn as a
// hyphen where it ends one: a row ends with it only when the hyphen fits.
// Widths come from a table of the font's advance for each of the 256
// characters, so that a line's rows cost one pass over its bytes.
class TLogWrap {
public:
    void SetFont(const QFont &font, QPaintDevice *device);
    void SetWidth(qreal width) { FWidth = width; }
    qreal Width() const { return FWidth; }
    qreal TabStop() const { return FTabStop; }

    // Where the row that starts at `start` ends (where the next one starts).
    qsizetype RowEnd(QByteArrayView line, qsizetype start) const;
    // The rows of a line; an empty line is one row.
    qsizetype RowCount(QByteArrayView line) const;

private:
    std::array<qreal, 256> FAdvance{};
    qreal FSoftHyphenAtEnd = 0; // as drawn at the end of a row
    qreal FTabStop = 80;
    qreal FWidth = 0;
};
