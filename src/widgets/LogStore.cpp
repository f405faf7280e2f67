#include "widgets/LogStore.h"

#include "platform/cp1251/Ansi.h"

#include <algorithm>
#include <array>

namespace {
// A chunk holds at most this many bytes (unless one line alone is longer)
// and this many lines.
constexpr size_t ChunkBytes = 64 * 1024;
constexpr size_t ChunkLines = 4096;
constexpr size_t TailLineReserve = 1024;

template <class Chunk>
bool IsFull(const Chunk &chunk, size_t adding)
{
    return !chunk.Ends.empty() && (chunk.Bytes.size() + adding > ChunkBytes || chunk.Ends.size() >= ChunkLines);
}

template <class Vector>
void ShrinkWhenWasteful(Vector &v)
{
    if (v.capacity() - v.size() > v.size() / 4)
        v.shrink_to_fit();
}
} // namespace

QChar LogChar(uchar byte)
{
    static const std::array<QChar, 256> chars = [] {
        std::array<QChar, 256> table;
        for (int b = 0; b < 256; ++b) {
            const QString one = FromAnsi(QByteArray(1, char(b)));
            table[size_t(b)] = one.size() == 1 ? one[0] : QChar(QChar::ReplacementCharacter);
        }
        return table;
    }();
    return chars[byte];
}

QString LogString(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char byte : bytes)
        *out++ = LogChar(uchar(byte));
    return text;
}

QByteArray LogBytes(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    for (QChar &c : text)
        if (c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    return ToAnsi(text);
}

TLogStore::TLogStore()
{
    FChunks.emplace_back();
    FChunks.back().Ends.push_back(0);
    Renumber(0);
}

size_t TLogStore::ChunkOf(qsizetype line) const
{
    return size_t(std::upper_bound(FFirstLine.begin(), FFirstLine.end(), line) - FFirstLine.begin()) - 1;
}

QByteArrayView TLogStore::Line(qsizetype line) const
{
    const size_t c = ChunkOf(line);
    return FChunks[c].Line(size_t(line - FFirstLine[c]));
}

TLogPosition TLogStore::Clamped(TLogPosition position) const
{
    position.Line = std::clamp<qsizetype>(position.Line, 0, FLineCount - 1);
    position.Column = std::clamp<qsizetype>(position.Column, 0, LineLength(position.Line));
    return position;
}

void TLogStore::AppendLine(QByteArrayView line)
{
    if (IsFull(FChunks.back(), size_t(line.size()))) {
        ShrinkWhenWasteful(FChunks.back().Bytes);
        ShrinkWhenWasteful(FChunks.back().Ends);
        FChunks.emplace_back();
        FChunks.back().Bytes.reserve(std::max(ChunkBytes, size_t(line.size())));
        FChunks.back().Ends.reserve(TailLineReserve);
        FFirstLine.push_back(FLineCount);
        FFirstByte.push_back(FByteCount);
    }
    TChunk &tail = FChunks.back();
    tail.Bytes.insert(tail.Bytes.end(), line.begin(), line.end());
    tail.Ends.push_back(uint32_t(tail.Bytes.size()));
    ++FLineCount;
    FByteCount += line.size();
}

TLogPosition TLogStore::Replace(TLogPosition from, TLogPosition to, QByteArrayView text)
{
    const QByteArrayView first = Line(from.Line);
    const QByteArrayView last = Line(to.Line);
    QByteArray joined;
    joined.reserve(from.Column + text.size() + last.size() - to.Column);
    joined.append(first.first(from.Column)).append(text).append(last.sliced(to.Column));

    std::vector<QByteArrayView> lines;
    for (qsizetype start = 0;;) {
        const qsizetype end = joined.indexOf('\n', start);
        lines.push_back(QByteArrayView(joined).sliced(start, (end < 0 ? joined.size() : end) - start));
        if (end < 0)
            break;
        start = end + 1;
    }
    const qsizetype breaks = qsizetype(lines.size()) - 1;
    const qsizetype lastLength = lines.back().size() - (last.size() - to.Column);
    ReplaceLines(from.Line, to.Line + 1, lines);
    return {from.Line + breaks, lastLength};
}

void TLogStore::ReplaceLines(qsizetype first, qsizetype last, const std::vector<QByteArrayView> &lines)
{
    size_t c0 = ChunkOf(first);
    size_t c1 = ChunkOf(last - 1);
    // A neighbour that would fit into the rebuilt chunk joins it, so that
    // edits do not leave ever smaller chunks behind.
    const size_t firstInChunk = size_t(first - FFirstLine[c0]);
    const size_t lastInChunk = size_t(last - FFirstLine[c1]);
    size_t bytes = FChunks[c0].Begin(firstInChunk) + (FChunks[c1].Bytes.size() - FChunks[c1].Begin(lastInChunk));
    for (QByteArrayView line : lines)
        bytes += size_t(line.size());
    const size_t count = firstInChunk + lines.size() + (FChunks[c1].Ends.size() - lastInChunk);
    const auto fits = [&](const TChunk &neighbour) {
        return bytes + neighbour.Bytes.size() <= ChunkBytes / 2 && count + neighbour.Ends.size() <= ChunkLines / 2;
    };
    if (c0 > 0 && fits(FChunks[c0 - 1]))
        --c0;
    else if (c1 + 1 < FChunks.size() && fits(FChunks[c1 + 1]))
        ++c1;

    std::vector<TChunk> built(1);
    const auto add = [&](QByteArrayView line) {
        if (IsFull(built.back(), size_t(line.size())))
            built.emplace_back();
        built.back().Bytes.insert(built.back().Bytes.end(), line.begin(), line.end());
        built.back().Ends.push_back(uint32_t(built.back().Bytes.size()));
    };
    for (size_t c = c0; c < c1 + 1; ++c) {
        const TChunk &chunk = FChunks[c];
        const qsizetype base = FFirstLine[c];
        for (size_t i = 0; i < chunk.Ends.size(); ++i) {
            const qsizetype line = base + qsizetype(i);
            if (line == first)
                for (QByteArrayView replacement : lines)
                    add(replacement);
            if (line < first || line >= last)
                add(chunk.Line(i));
        }
    }
    for (TChunk &chunk : built) {
        ShrinkWhenWasteful(chunk.Bytes);
        ShrinkWhenWasteful(chunk.Ends);
    }
    FChunks.erase(FChunks.begin() + qsizetype(c0), FChunks.begin() + qsizetype(c1) + 1);
    FChunks.insert(FChunks.begin() + qsizetype(c0), std::make_move_iterator(built.begin()),
                   std::make_move_iterator(built.end()));
    Renumber(c0);
}

void TLogStore::Renumber(size_t fromChunk)
{
    FFirstLine.resize(FChunks.size());
    FFirstByte.resize(FChunks.size());
    qsizetype line = fromChunk == 0 ? 0 : FFirstLine[fromChunk - 1] + qsizetype(FChunks[fromChunk - 1].Ends.size());
    qsizetype byte = fromChunk == 0 ? 0 : FFirstByte[fromChunk - 1] + qsizetype(FChunks[fromChunk - 1].Bytes.size());
    for (size_t c = fromChunk; c < FChunks.size(); ++c) {
        FFirstLine[c] = line;
        FFirstByte[c] = byte;
        line += qsizetype(FChunks[c].Ends.size());
        byte += qsizetype(FChunks[c].Bytes.size());
    }
    FLineCount = line;
    FByteCount = byte;
}

QByteArray TLogStore::Text(TLogPosition from, TLogPosition to) const
{
    QByteArray text;
    text.reserve(OffsetOf(to) - OffsetOf(from));
    for (qsizetype line = from.Line; line <= to.Line; ++line) {
        QByteArrayView bytes = Line(line);
        if (line == to.Line)
            bytes = bytes.first(to.Column);
        if (line == from.Line)
            bytes = bytes.sliced(from.Column);
        else
            text.append('\n');
        text.append(bytes);
    }
    return text;
}

qsizetype TLogStore::OffsetOf(TLogPosition position) const
{
    const size_t c = ChunkOf(position.Line);
    return FFirstByte[c] + FChunks[c].Begin(size_t(position.Line - FFirstLine[c])) + position.Line + position.Column;
}

TLogPosition TLogStore::PositionAt(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, CharacterCount());
    // Each chunk's first offset is its first byte plus the line breaks before it.
    size_t lo = 0, hi = FChunks.size();
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        (FFirstByte[mid] + FFirstLine[mid] <= offset ? lo : hi) = mid;
    }
    const TChunk &chunk = FChunks[lo];
    const qsizetype local = offset - FFirstByte[lo] - FFirstLine[lo];
    size_t a = 0, b = chunk.Ends.size();
    while (b - a > 1) {
        const size_t mid = (a + b) / 2;
        (chunk.Begin(mid) + qsizetype(mid) <= local ? a : b) = mid;
    }
    return {FFirstLine[lo] + qsizetype(a), local - chunk.Begin(a) - qsizetype(a)};
}
