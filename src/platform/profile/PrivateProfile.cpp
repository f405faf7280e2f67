#include "platform/profile/PrivateProfile.h"

#include "platform/cp1251/Ansi.h"
#include "platform/profile/ProfileFile.h"

#include <QList>

// The profile file's text as the program reads and writes it, the same on
// every system.

namespace {
QByteArray TrimBlanks(const QByteArray &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.mid(begin, end - begin);
}

bool SameName(const QByteArray &a, const QByteArray &b)
{
    return FromAnsi(TrimBlanks(a)).compare(FromAnsi(TrimBlanks(b)), Qt::CaseInsensitive) == 0;
}

QList<QByteArray> Lines(const QByteArray &contents)
{
    QList<QByteArray> lines = contents.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

// The name of a "[section]" line, or nothing for other lines.
std::optional<QByteArray> SectionName(const QByteArray &line)
{
    const QByteArray trimmed = TrimBlanks(line);
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    return TrimBlanks(trimmed.mid(1, close < 0 ? -1 : close - 1));
}

// The key of a "key=value" line, or nothing for other lines.
std::optional<QByteArray> KeyName(const QByteArray &line)
{
    const QByteArray trimmed = TrimBlanks(line);
    const qsizetype equals = trimmed.indexOf('=');
    if (equals < 0 || trimmed.startsWith(';') || trimmed.startsWith('['))
        return std::nullopt;
    return TrimBlanks(trimmed.left(equals));
}

// Index of the first header of the section, or -1.
qsizetype FindSection(const QList<QByteArray> &lines, const QByteArray &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (const auto name = SectionName(lines[i]); name && SameName(*name, section))
            return i;
    return -1;
}

// One past the last line of the section starting at `header`.
qsizetype SectionEnd(const QList<QByteArray> &lines, qsizetype header)
{
    qsizetype i = header + 1;
    while (i < lines.size() && !SectionName(lines[i]))
        ++i;
    return i;
}

qsizetype FindKey(const QList<QByteArray> &lines, qsizetype header, qsizetype end, const QByteArray &key)
{
    for (qsizetype i = header + 1; i < end; ++i)
        if (const auto name = KeyName(lines[i]); name && SameName(*name, key))
            return i;
    return -1;
}

bool HasLineBreak(const QByteArray &text)
{
    return text.contains('\r') || text.contains('\n');
}

// A key that reads back as the same key of a "key=value" line.
bool IsWritableKey(const QByteArray &key)
{
    const QByteArray trimmed = TrimBlanks(key);
    return !trimmed.isEmpty() && !trimmed.startsWith('[') && !trimmed.startsWith(';') && !key.contains('=')
           && !HasLineBreak(key);
}
} // namespace

QByteArray ProfileReadString(const QByteArray &contents, const QByteArray &section, const QByteArray &key,
                             const QByteArray &fallback)
{
    const QList<QByteArray> lines = Lines(contents);
    const qsizetype header = FindSection(lines, section);
    if (header < 0)
        return fallback;
    const qsizetype line = FindKey(lines, header, SectionEnd(lines, header), key);
    if (line < 0)
        return fallback;
    QByteArray value = TrimBlanks(lines[line].mid(lines[line].indexOf('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

std::optional<QByteArray> ProfileWriteString(const QByteArray &contents, const QByteArray &section,
                                             const std::optional<QByteArray> &key,
                                             const std::optional<QByteArray> &value)
{
    QList<QByteArray> lines = Lines(contents);
    const qsizetype header = FindSection(lines, section);
    if (header < 0) {
        if (!key || !value)
            return std::nullopt;
        lines.append('[' + section + ']');
        lines.append(*key + '=' + *value);
    } else {
        const qsizetype end = SectionEnd(lines, header);
        if (!key) {
            lines.remove(header, end - header);
        } else {
            const qsizetype at = FindKey(lines, header, end, *key);
            if (!value) {
                if (at < 0)
                    return std::nullopt;
                lines.removeAt(at);
            } else if (at >= 0) {
                const QByteArray line = *KeyName(lines[at]) + '=' + *value;
                if (line == lines[at])
                    return std::nullopt;
                lines[at] = line;
            } else {
                qsizetype last = end;
                while (last > header + 1 && TrimBlanks(lines[last - 1]).isEmpty())
                    --last;
                lines.insert(last, *key + '=' + *value);
            }
        }
    }
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

uint32_t WritePrivateProfileString(const QByteArray &section, const std::optional<QByteArray> &key,
                                   const std::optional<QByteArray> &value, const QString &fileName)
{
    if (HasLineBreak(section) || section.contains(']') || (key && !IsWritableKey(*key))
        || (value && HasLineBreak(*value)) || (value && !key))
        return 87;
    return WriteProfileFile(section, key, value, ProfileFilePath(fileName));
}
