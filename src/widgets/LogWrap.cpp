#include "widgets/LogWrap.h"

#include "widgets/LogStore.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace {
constexpr uchar SoftHyphen = 0xAD;
} // namespace

void TLogWrap::SetFont(const QFont &font, QPaintDevice *device)
{
    const QFontMetricsF metrics(font, device);
    for (int byte = 0; byte < 256; ++byte)
        FAdvance[size_t(byte)] = metrics.horizontalAdvance(QString(LogChar(uchar(byte))));
    FTabStop = QTextOption().tabStopDistance();
    QTextLayout hyphen(QString(LogChar(SoftHyphen)), font, device);
    hyphen.beginLayout();
    hyphen.createLine();
    hyphen.endLayout();
    FSoftHyphenAtEnd = hyphen.lineAt(0).naturalTextWidth();
}

qsizetype TLogWrap::RowEnd(QByteArrayView line, qsizetype start) const
{
    qreal x = 0;
    qsizetype breakAfter = -1;
    for (qsizetype i = start; i < line.size(); ++i) {
        const uchar c = uchar(line[i]);
        if (c == ' ' || c == '\t') {
            x = c == '\t' ? (std::floor(x / FTabStop) + 1) * FTabStop : x + FAdvance[c];
            breakAfter = i + 1;
            continue;
        }
        const qreal atEnd = c == SoftHyphen ? FSoftHyphenAtEnd : FAdvance[c];
        if (x + atEnd > FWidth && i > start)
            return breakAfter > start ? breakAfter : i;
        x += FAdvance[c];
    }
    return line.size();
}

qsizetype TLogWrap::RowCount(QByteArrayView line) const
{
    qsizetype rows = 1;
    for (qsizetype start = RowEnd(line, 0); start < line.size(); start = RowEnd(line, start))
        ++rows;
    return rows;
}
