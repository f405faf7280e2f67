// Reading a hive file the way the registry editor imports one.

#include "platform/registry/Hive.h"
#include "platform/registry/HiveText.h"

#include "platform/cp1251/Ansi.h"

#include <QStringDecoder>

using namespace HiveText;

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray TrimBlanks(const QByteArray &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool IsCommentOrBlank(const QByteArray &trimmed)
{
    return trimmed.isEmpty() || trimmed.startsWith(';');
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hexadecimal digits.
bool ParseHex32(const QByteArray &text, uint32_t *value)
{
    if (text.isEmpty() || text.size() > 8)
        return false;
    uint32_t v = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        v = v << 4 | uint32_t(digit);
    }
    *value = v;
    return true;
}

// A quoted text starting at `pos` (on the opening quote), leaving `pos` after
// the closing one. \\, \" and \n are the escapes; any other backslash stands
// for itself, and every other character, control characters and ';'
// included, is text.
bool ParseQuoted(const QByteArray &line, qsizetype &pos, QByteArray *out)
{
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos];
        const char next = pos + 1 < line.size() ? line[pos + 1] : '\0';
        if (c == '\\' && (next == '\\' || next == '"' || next == 'n')) {
            out->append(next == 'n' ? '\n' : next);
            pos += 2;
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out->append(c);
            ++pos;
        }
    }
    return false;
}

bool ParseByteList(const QByteArray &list, QByteArray *data)
{
    if (TrimBlanks(list).isEmpty())
        return true;
    const QList<QByteArray> items = list.split(',');
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QByteArray item = TrimBlanks(items[i]);
        if (item.isEmpty() && i == items.size() - 1 && i > 0)
            break; // a trailing comma
        uint32_t byte;
        if (item.size() > 2 || !ParseHex32(item, &byte))
            return false;
        data->append(char(byte));
    }
    return true;
}

// Splits an entry without quoted text at its comment: the entry, and the
// comment with the blanks before it.
void SplitRemark(const QByteArray &text, QByteArray *entry, QByteArray *remark)
{
    qsizetype end = text.indexOf(';');
    if (end < 0)
        end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    *entry = text.left(end);
    *remark = text.mid(end);
}

// The line of the first fault of a UTF-16LE text, 0 when there is none.
int FirstBadUtf16Line(const QByteArray &bytes)
{
    int line = 1;
    const qsizetype units = bytes.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const auto unit = [&](qsizetype at) {
            return char16_t(static_cast<unsigned char>(bytes[2 * at])
                            | static_cast<unsigned char>(bytes[2 * at + 1]) << 8);
        };
        const char16_t u = unit(i);
        if (u == u'\n')
            ++line;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            return line;
        else if (u >= 0xD800 && u <= 0xDBFF && !(i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF))
            return line;
        else if (u >= 0xD800 && u <= 0xDBFF)
            ++i;
    }
    return bytes.size() % 2 != 0 ? line : 0;
}

// The line of the first fault of a UTF-8 text, 0 when there is none.
int FirstBadUtf8Line(const QByteArray &bytes)
{
    const QByteArrayList lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        const QString decoded = decoder.decode(lines[i]);
        if (decoder.hasError())
            return int(i) + 1;
    }
    return 0;
}

THiveText TextOf(const QByteArrayList &lines)
{
    THiveText text;
    text.Lines = lines;
    return text;
}

QByteArrayList SplitLines(const QByteArray &text)
{
    QByteArrayList lines = text.split('\n');
    if (text.endsWith('\n'))
        lines.removeLast();
    for (QByteArray &line : lines)
        while (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

class THiveParser {
public:
    THiveParser(const QByteArray &rootName) { FResult.Root.Name = rootName; }

    THiveParseResult Run(const QByteArray &bytes)
    {
        if (!Decode(bytes))
            return std::move(FResult);
        FResult.Document = NewHiveDocument(FResult.Root.Name, FFormat);
        THiveBlock &preamble = FResult.Document.Blocks.front();
        preamble.Texts.clear();
        // The decoding found the header: everything up to it is the preamble.
        for (bool header = false; !header;) {
            const QByteArray &line = FLines[FNext++];
            header = TrimBlanks(line) == HeaderText();
            AddText({line});
        }
        while (FNext < FLines.size()) {
            FLineNo = int(FNext) + 1;
            const QByteArray &raw = FLines[FNext++];
            const QByteArray line = TrimBlanks(raw);
            if (IsCommentOrBlank(line))
                AddText({raw});
            else if (line.startsWith('['))
                Section(raw, line);
            else if (FMode == Kept)
                KeptLine(raw);
            else if (FMode == Deleted)
                AddText({raw}); // the registry editor ignores what follows a deletion
            else if (line.startsWith('"') || line.startsWith('@'))
                Value(raw, line);
            else
                Skip({raw}, "unexpected text");
        }
        FResult.Ok = true;
        return std::move(FResult);
    }

private:
    enum TMode { Preamble, InSection, Kept, Deleted };

    const char *HeaderText() const { return FFormat == THiveFormat::Version5 ? Version5Header : Regedit4Header; }

    bool Fail(int line, const char *what)
    {
        FResult.Ok = false;
        FResult.ErrorLine = line;
        FResult.Error = what;
        return false;
    }

    // Finds the text and the format from the byte order mark and the header,
    // the first line that is neither blank nor a comment.
    bool Decode(const QByteArray &bytes)
    {
        QByteArray text = bytes;
        bool unicode = false;
        if (bytes.startsWith("\xFF\xFE")) {
            if (const int line = FirstBadUtf16Line(bytes.mid(2)))
                return Fail(line, "not UTF-16LE text");
            QStringDecoder decoder(QStringConverter::Utf16LE, QStringConverter::Flag::ConvertInitialBom);
            text = QString(decoder.decode(bytes.mid(2))).toUtf8();
            unicode = true;
        } else if (bytes.startsWith("\xEF\xBB\xBF")) {
            text = bytes.mid(3);
            if (const int line = FirstBadUtf8Line(text))
                return Fail(line, "not UTF-8 text");
            unicode = true;
        }
        FLines = SplitLines(text);
        qsizetype header = 0;
        while (header < FLines.size() && IsCommentOrBlank(TrimBlanks(FLines[header])))
            ++header;
        const QByteArray first = header < FLines.size() ? TrimBlanks(FLines[header]) : QByteArray();
        if (first == Regedit4Header) {
            FFormat = THiveFormat::Regedit4;
            if (unicode)
                FLines = SplitLines(ToAnsi(QString::fromUtf8(text)));
        } else if (first == Version5Header) {
            FFormat = THiveFormat::Version5;
            // Without a byte order mark: UTF-8, or else cp1251.
            if (!unicode && FirstBadUtf8Line(text))
                FLines = SplitLines(FromAnsi(text).toUtf8());
        } else {
            return Fail(header < FLines.size() ? int(header) + 1 : 1, "no registry editor header");
        }
        return true;
    }

    THiveBlock &Current() { return FResult.Document.Blocks.back(); }

    void AddText(const QByteArrayList &lines) { Current().Texts.push_back(TextOf(lines)); }

    void Skip(const QByteArrayList &lines, const char *reason)
    {
        AddText(lines);
        FResult.Skipped.push_back({FLineNo, lines.join('\n'), reason});
    }

    // A section kept as it is, with the lines up to the next one; those of a
    // section the registry editor cannot import are skipped lines.
    void KeepSection(const QByteArray &raw, const char *reason)
    {
        FResult.Document.Blocks.push_back({THiveBlock::Kept, {}, {}});
        FMode = Kept;
        FKeptReason = reason;
        if (reason)
            Skip({raw}, reason);
        else
            AddText({raw});
    }

    void KeptLine(const QByteArray &raw)
    {
        if (FKeptReason)
            Skip({raw}, "line of a section that cannot be read");
        else
            AddText({raw});
    }

    void Section(const QByteArray &raw, const QByteArray &line)
    {
        // The closing bracket is the last one that only a comment follows.
        qsizetype close = line.size() - 1;
        while (close > 0 && !(line[close] == ']' && IsCommentOrBlank(TrimBlanks(line.mid(close + 1)))))
            --close;
        if (close <= 0)
            return KeepSection(raw, "section without ']'");
        QByteArray path = line.mid(1, close - 1);
        const bool deletion = path.startsWith('-');
        if (deletion)
            path.remove(0, 1);
        QList<QByteArray> names = path.split('\\');
        if (names.size() > 1 && names.last().isEmpty())
            names.removeLast(); // a trailing backslash
        if (!SameRegistryName(names.first(), FResult.Root.Name)) {
            const bool otherRoot = names.first().toUpper().startsWith("HKEY_");
            return KeepSection(raw, otherRoot ? nullptr : "no root key");
        }
        names.removeFirst();
        if (names.size() > MaxKeyDepth)
            return KeepSection(raw, "key nested too deep");
        for (const QByteArray &name : names)
            if (!IsValidKeyName(FromFile(name, FFormat)))
                return KeepSection(raw, "invalid key name");
        for (QByteArray &name : names)
            name = FromFile(name, FFormat);
        if (deletion)
            return DeleteKey(raw, names);
        FPath = names;
        FKey = &FResult.Root;
        for (const QByteArray &name : names)
            FKey = &FKey->AddSubKey(name);
        THiveBlock block{THiveBlock::Section, names, {}};
        block.Texts.push_back(TextOf({raw}));
        FResult.Document.Blocks.push_back(std::move(block));
        FMode = InSection;
    }

    // [-KEY]: the key goes with every key below it; the sections of them
    // before stay in the file without effect.
    void DeleteKey(const QByteArray &raw, const QList<QByteArray> &names)
    {
        if (names.isEmpty())
            return KeepSection(raw, "the root key cannot be deleted");
        THiveKey *parent = &FResult.Root;
        for (qsizetype i = 0; parent && i + 1 < names.size(); ++i)
            parent = parent->FindSubKey(names[i]);
        if (parent)
            parent->RemoveSubKey(names.last());
        THiveBlock block{THiveBlock::Deletion, names, {}};
        block.Texts.push_back(TextOf({raw}));
        FResult.Document.Blocks.push_back(std::move(block));
        FKey = nullptr;
        FMode = Deleted;
    }

    // The lines of a value read earlier in this key no longer stand for it.
    void ForgetValue(const QByteArray &name)
    {
        for (THiveBlock &block : FResult.Document.Blocks)
            if (block.Kind == THiveBlock::Section && SamePath(block.Path, FPath))
                for (THiveText &text : block.Texts)
                    if (text.IsValue && SameRegistryName(text.Name, name))
                        text.IsValue = false;
    }

    void Value(const QByteArray &raw, const QByteArray &line)
    {
        if (FMode != InSection)
            return Skip({raw}, "value outside any key");
        THiveText value = TextOf({raw});
        value.IsValue = true;
        qsizetype pos = 1;
        if (line[0] == '"') {
            pos = 0;
            QByteArray name;
            if (!ParseQuoted(line, pos, &name))
                return Skip({raw}, "unterminated name");
            value.Name = FromFile(name, FFormat);
            if (!IsValidValueName(value.Name))
                return Skip({raw}, "invalid value name");
        }
        value.NameText = line.left(pos);
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            return Skip({raw}, "'=' expected");
        ++pos;
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;

        if (line.mid(pos).startsWith('"')) {
            QByteArray text;
            if (!ParseQuoted(line, pos, &text))
                return Skip({raw}, "unterminated text");
            value.Remark = line.mid(pos);
            if (!IsCommentOrBlank(TrimBlanks(value.Remark)))
                return Skip({raw}, "text after the closing quote");
            value.Type = Reg::REG_SZ;
            value.Data = FromFile(text, FFormat) + '\0';
            return AddValue(std::move(value));
        }
        QByteArray data;
        SplitRemark(line.mid(pos), &data, &value.Remark);
        const QByteArray kind = data.left(data.indexOf(':') + 1).toLower();
        if (data == "-") {
            FKey->RemoveValue(value.Name);
            ForgetValue(value.Name);
            AddText({raw});
        } else if (kind == "dword:") {
            uint32_t v;
            if (!ParseHex32(TrimBlanks(data.mid(6)), &v))
                return Skip({raw}, "invalid dword");
            value.Type = Reg::REG_DWORD;
            for (int i = 0; i < 4; ++i)
                value.Data.append(char(v >> (8 * i)));
            AddValue(std::move(value));
        } else if (kind.startsWith("hex")) {
            HexValue(std::move(value), data);
        } else {
            Skip({raw}, "unknown value type");
        }
    }

    // hex:xx,xx,... (REG_BINARY) or hex(T):xx,... , continued over lines
    // ending in '\'; blank and comment lines between belong to the value.
    void HexValue(THiveText value, const QByteArray &data)
    {
        const qsizetype colon = data.indexOf(':');
        const QByteArray kind = TrimBlanks(data.left(colon)).toLower();
        if (kind == "hex") {
            value.Type = Reg::REG_BINARY;
        } else if (!(kind.size() > 5 && kind.startsWith("hex(") && kind.endsWith(')')
                     && ParseHex32(kind.mid(4, kind.size() - 5), &value.Type))) {
            return Skip(value.Lines, "invalid value type");
        }
        QByteArray list = TrimBlanks(data.mid(colon + 1));
        while (list.endsWith('\\')) {
            list.chop(1);
            while (FNext < FLines.size() && IsCommentOrBlank(TrimBlanks(FLines[FNext])))
                value.Lines.append(FLines[FNext++]);
            const QByteArray next = FNext < FLines.size() ? TrimBlanks(FLines[FNext]) : QByteArray();
            if (next.isEmpty() || next.startsWith('[') || next.startsWith('"') || next.startsWith('@'))
                return Skip(value.Lines, "hex list continued onto nothing");
            value.Lines.append(FLines[FNext++]);
            QByteArray more;
            SplitRemark(next, &more, &value.Remark);
            list += TrimBlanks(more);
        }
        QByteArray bytes;
        if (!ParseByteList(list, &bytes))
            return Skip(value.Lines, "invalid hex byte");
        value.Data = DataFromFile(value.Type, bytes, FFormat);
        AddValue(std::move(value));
    }

    void AddValue(THiveText value)
    {
        ForgetValue(value.Name);
        FKey->SetValue(value.Name, value.Type, value.Data);
        Current().Texts.push_back(std::move(value));
    }

    THiveParseResult FResult;
    THiveFormat FFormat = THiveFormat::Regedit4;
    QByteArrayList FLines;
    qsizetype FNext = 0;
    int FLineNo = 0;
    TMode FMode = Preamble;
    const char *FKeptReason = nullptr;
    QList<QByteArray> FPath; // the key of the current section
    THiveKey *FKey = nullptr;
};
} // namespace

THiveParseResult ParseHive(const QByteArray &text, const QByteArray &rootName)
{
    if (text.isEmpty()) {
        THiveParseResult result;
        result.Ok = true;
        result.Root.Name = rootName;
        result.Document = NewHiveDocument(rootName);
        return result;
    }
    return THiveParser(rootName).Run(text);
}
