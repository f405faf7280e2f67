#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <compare>
#include <cstdint>
#include <vector>

// A place in the log's text: a line and a column (a character within the
// line, 0 to the line's length).
struct TLogPosition {
    qsizetype Line = 0;
    qsizetype Column = 0;
    auto operator<=>(const TLogPosition &) const = default;
};

// The character a cp1251 byte of the log shows.
QChar LogChar(uchar byte);
// Bytes of the log as text.
QString LogString(QByteArrayView bytes);
// Text as the log keeps it: cp1251 (a character cp1251 lacks becomes '?'),
// every kind of line break made '\n'.
QByteArray LogBytes(QString text);

// The log's text: lines of cp1251 bytes, one byte per character, as the
// program writes them. The lines sit in chunks of a few thousand, each
// chunk one byte buffer and one array of line ends, so that a line costs
// its text and four bytes, an appended line takes constant time, and an
// edit anywhere rewrites one chunk or two. There is always at least one
// line; the empty log is one empty line.
class TLogStore {
public:
    TLogStore();

    qsizetype LineCount() const { return FLineCount; }
    // The text of one line, without its line break; valid until the next change.
    QByteArrayView Line(qsizetype line) const;
    qsizetype LineLength(qsizetype line) const { return Line(line).size(); }
    // Characters of the whole text, one line break between lines.
    qsizetype CharacterCount() const { return FByteCount + FLineCount - 1; }
    bool IsEmpty() const { return FLineCount == 1 && FByteCount == 0; }
    TLogPosition End() const { return {FLineCount - 1, LineLength(FLineCount - 1)}; }
    // The nearest position that exists.
    TLogPosition Clamped(TLogPosition position) const;

    // Adds a line (no line breaks in it) after the last.
    void AppendLine(QByteArrayView line);
    // Replaces the text from `from` to `to` (from <= to) with `text`, in which
    // '\n' breaks lines; returns the position just after the new text.
    TLogPosition Replace(TLogPosition from, TLogPosition to, QByteArrayView text);
    // The text between two positions, '\n' between lines.
    QByteArray Text(TLogPosition from, TLogPosition to) const;
    QByteArray Text() const { return Text({}, End()); }

    // A position as a character offset into the whole text (line breaks
    // counted), and back.
    qsizetype OffsetOf(TLogPosition position) const;
    TLogPosition PositionAt(qsizetype offset) const;

private:
    struct TChunk {
        std::vector<char> Bytes;
        std::vector<uint32_t> Ends; // end of each line within Bytes
        qsizetype Begin(size_t line) const { return line == 0 ? 0 : Ends[line - 1]; }
        QByteArrayView Line(size_t line) const
        {
            return QByteArrayView(Bytes.data() + Begin(line), Ends[line] - Begin(line));
        }
    };

    size_t ChunkOf(qsizetype line) const;
    // Replaces lines [first, last) with `lines`, rebuilding the chunks that
    // held them.
    void ReplaceLines(qsizetype first, qsizetype last, const std::vector<QByteArrayView> &lines);
    void Renumber(size_t fromChunk);

    std::vector<TChunk> FChunks;
    // The first line and the first byte of each chunk.
    std::vector<qsizetype> FFirstLine;
    std::vector<qsizetype> FFirstByte;
    qsizetype FLineCount = 0;
    qsizetype FByteCount = 0;
};
