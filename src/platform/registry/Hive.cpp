#include "platform/registry/Hive.h"

#include "platform/cp1251/Ansi.h"

#include <QList>

#include <algorithm>
#include <array>

namespace {
// Upper case of every cp1251 character that has a cp1251 upper case,
// computed once from the code page itself.
const std::array<unsigned char, 256> &UpperTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> upper{};
        for (int c = 0; c < 256; ++c) {
            const QByteArray folded = ToAnsi(FromAnsi(QByteArray(1, char(c))).toUpper());
            upper[c] = folded.size() == 1 && folded != "?" ? static_cast<unsigned char>(folded[0]) : c;
        }
        upper['?'] = '?';
        return upper;
    }();
    return table;
}

bool HasControlCharacter(const QByteArray &name)
{
    return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

int CompareNames(const QByteArray &a, const QByteArray &b)
{
    const auto &upper = UpperTable();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int x = upper[static_cast<unsigned char>(a[i])], y = upper[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x - y;
    }
    return int(a.size() - b.size());
}
} // namespace

bool SameRegistryName(const QByteArray &a, const QByteArray &b)
{
    return a.size() == b.size() && CompareNames(a, b) == 0;
}

bool IsValidKeyName(const QByteArray &name)
{
    return !name.isEmpty() && !name.contains('\\') && !HasControlCharacter(name);
}

bool IsValidValueName(const QByteArray &name)
{
    return !HasControlCharacter(name);
}

THiveKey *THiveKey::FindSubKey(const QByteArray &name)
{
    for (THiveKey &key : SubKeys)
        if (SameRegistryName(key.Name, name))
            return &key;
    return nullptr;
}

const THiveKey *THiveKey::FindSubKey(const QByteArray &name) const
{
    return const_cast<THiveKey *>(this)->FindSubKey(name);
}

THiveKey &THiveKey::AddSubKey(const QByteArray &name, bool *created)
{
    if (created)
        *created = false;
    if (THiveKey *existing = FindSubKey(name))
        return *existing;
    if (created)
        *created = true;
    const auto at = std::find_if(SubKeys.begin(), SubKeys.end(),
                                 [&](const THiveKey &key) { return CompareNames(key.Name, name) > 0; });
    THiveKey key;
    key.Name = name;
    return *SubKeys.insert(at, std::move(key));
}

bool THiveKey::RemoveSubKey(const QByteArray &name)
{
    const auto at = std::find_if(SubKeys.begin(), SubKeys.end(),
                                 [&](const THiveKey &key) { return SameRegistryName(key.Name, name); });
    if (at == SubKeys.end())
        return false;
    SubKeys.erase(at);
    return true;
}

const THiveValue *THiveKey::FindValue(const QByteArray &name) const
{
    for (const THiveValue &value : Values)
        if (SameRegistryName(value.Name, name))
            return &value;
    return nullptr;
}

bool THiveKey::SetValue(const QByteArray &name, uint32_t type, const QByteArray &data)
{
    for (THiveValue &value : Values) {
        if (SameRegistryName(value.Name, name)) {
            if (value.Type == type && value.Data == data)
                return false;
            value.Type = type;
            value.Data = data;
            return true;
        }
    }
    Values.push_back({name, type, data});
    return true;
}

bool THiveKey::RemoveValue(const QByteArray &name)
{
    const auto at = std::find_if(Values.begin(), Values.end(),
                                 [&](const THiveValue &value) { return SameRegistryName(value.Name, name); });
    if (at == Values.end())
        return false;
    Values.erase(at);
    return true;
}

// ---------------------------------------------------------------- parsing

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

// A quoted text starting at `pos` (on the opening quote); \\ and \" are the
// escapes, any other backslash stands for itself.
bool ParseQuoted(const QByteArray &line, qsizetype &pos, QByteArray *out)
{
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos];
        if (c == '\\' && pos + 1 < line.size() && (line[pos + 1] == '\\' || line[pos + 1] == '"')) {
            out->append(line[pos + 1]);
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

class THiveParser {
public:
    THiveParser(const QByteArray &text, const QByteArray &rootName) : FRootName(rootName)
    {
        FLines = text.split('\n');
        FResult.Root.Name = rootName;
    }

    THiveParseResult Run()
    {
        if (!CheckCharacters())
            return FResult;
        bool header = false;
        while (FNext < FLines.size()) {
            FLineNo = int(FNext) + 1;
            const QByteArray line = TrimBlanks(FLines[FNext++]);
            if (line.isEmpty() || line.startsWith(';'))
                continue;
            if (!header) {
                if (line != "REGEDIT4") {
                    Fail("not a REGEDIT4 file");
                    return FResult;
                }
                header = true;
            } else if (line.startsWith('[')) {
                if (!Section(line))
                    return FResult;
            } else if (line.startsWith('"') || line.startsWith('@')) {
                if (!Value(line))
                    return FResult;
            } else {
                Fail("unexpected text");
                return FResult;
            }
        }
        if (!header) {
            FLineNo = 1;
            Fail("not a REGEDIT4 file");
            return FResult;
        }
        FResult.Ok = true;
        return std::move(FResult);
    }

private:
    bool Fail(const char *what)
    {
        FResult.Ok = false;
        FResult.ErrorLine = FLineNo;
        FResult.Error = what;
        return false;
    }

    // Strips the CR of CRLF line ends; any other control character but TAB
    // (NUL bytes included) means the file is not a hive.
    bool CheckCharacters()
    {
        for (qsizetype i = 0; i < FLines.size(); ++i) {
            QByteArray &line = FLines[i];
            if (line.endsWith('\r'))
                line.chop(1);
            for (char c : line) {
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
                    FLineNo = int(i) + 1;
                    return Fail("control character");
                }
            }
        }
        return true;
    }

    bool Section(const QByteArray &line)
    {
        if (!line.endsWith(']'))
            return Fail("section without ']'");
        QByteArray path = line.mid(1, line.size() - 2);
        const bool deletion = path.startsWith('-');
        if (deletion)
            path.remove(0, 1);
        const QList<QByteArray> names = path.split('\\');
        if (!SameRegistryName(names.first(), FRootName))
            return Fail("key outside this hive");
        if (names.size() - 1 > MaxKeyDepth)
            return Fail("key nested too deep");
        for (qsizetype i = 1; i < names.size(); ++i)
            if (!IsValidKeyName(names[i]))
                return Fail("invalid key name");
        FSkipping = deletion;
        if (deletion) {
            FCurrent = nullptr;
            if (names.size() == 1)
                return Fail("the root key cannot be deleted");
            THiveKey *parent = &FResult.Root;
            for (qsizetype i = 1; parent && i + 1 < names.size(); ++i)
                parent = parent->FindSubKey(names[i]);
            if (parent)
                parent->RemoveSubKey(names.last());
            return true;
        }
        FCurrent = &FResult.Root;
        for (qsizetype i = 1; i < names.size(); ++i)
            FCurrent = &FCurrent->AddSubKey(names[i]);
        return true;
    }

    bool Value(const QByteArray &line)
    {
        THiveKey ignored;
        THiveKey *key = FCurrent ? FCurrent : FSkipping ? &ignored : nullptr;
        if (!key)
            return Fail("value outside any key");
        QByteArray name;
        qsizetype pos = 1;
        if (line[0] == '"') {
            pos = 0;
            if (!ParseQuoted(line, pos, &name))
                return Fail("unterminated name");
            if (!IsValidValueName(name))
                return Fail("invalid value name");
        }
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            return Fail("'=' expected");
        const QByteArray data = TrimBlanks(line.mid(pos + 1));
        if (data == "-") {
            key->RemoveValue(name);
            return true;
        }
        uint32_t type = Reg::REG_SZ;
        QByteArray bytes;
        if (data.startsWith('"')) {
            qsizetype at = 0;
            if (!ParseQuoted(data, at, &bytes))
                return Fail("unterminated text");
            if (at != data.size())
                return Fail("text after the closing quote");
            bytes.append('\0');
        } else if (data.toLower().startsWith("dword:")) {
            uint32_t v;
            if (!ParseHex32(data.mid(6), &v))
                return Fail("invalid dword");
            type = Reg::REG_DWORD;
            for (int i = 0; i < 4; ++i)
                bytes.append(char(v >> (8 * i)));
        } else if (data.toLower().startsWith("hex")) {
            if (!HexValue(data, &type, &bytes))
                return false;
        } else {
            return Fail("unknown value type");
        }
        key->SetValue(name, type, bytes);
        return true;
    }

    // hex:xx,xx,... (REG_BINARY) or hex(T):xx,... , continued over lines
    // ending in '\'.
    bool HexValue(const QByteArray &data, uint32_t *type, QByteArray *bytes)
    {
        const qsizetype colon = data.indexOf(':');
        if (colon < 0)
            return Fail("':' expected");
        const QByteArray kind = data.left(colon).toLower();
        if (kind == "hex") {
            *type = Reg::REG_BINARY;
        } else if (kind.size() > 5 && kind.startsWith("hex(") && kind.endsWith(')')) {
            if (!ParseHex32(kind.mid(4, kind.size() - 5), type))
                return Fail("invalid value type");
        } else {
            return Fail("unknown value type");
        }
        QByteArray list = data.mid(colon + 1);
        while (list.endsWith('\\')) {
            list.chop(1);
            const QByteArray next = FNext < FLines.size() ? TrimBlanks(FLines[FNext]) : QByteArray();
            if (next.isEmpty())
                return Fail("hex list continued onto nothing");
            list += next;
            ++FNext;
        }
        if (!ParseByteList(list, bytes))
            return Fail("invalid hex byte");
        return true;
    }

    QByteArray FRootName;
    QList<QByteArray> FLines;
    qsizetype FNext = 0;
    int FLineNo = 0;
    THiveKey *FCurrent = nullptr;
    bool FSkipping = false;
    THiveParseResult FResult;
};

// -------------------------------------------------------------- formatting

QByteArray Quote(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append('"');
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.append('\\');
        out.append(c);
    }
    out.append('"');
    return out;
}

// A REG_SZ that is one zero-terminated line of text can be written quoted.
bool IsQuotableText(const QByteArray &data)
{
    if (data.isEmpty() || data.back() != '\0')
        return false;
    return std::none_of(data.begin(), data.end() - 1,
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
}

void AppendValue(QByteArray &out, const THiveValue &value)
{
    const QByteArray name = value.Name.isEmpty() ? QByteArray("@") : Quote(value.Name);
    if (value.Type == Reg::REG_SZ && IsQuotableText(value.Data)) {
        out += name + '=' + Quote(value.Data.chopped(1)) + "\r\n";
        return;
    }
    if (value.Type == Reg::REG_DWORD && value.Data.size() == 4) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(value.Data[i]);
        out += name + "=dword:" + QByteArray::number(v, 16).rightJustified(8, '0') + "\r\n";
        return;
    }
    QByteArray line = name + '=';
    line += value.Type == Reg::REG_BINARY ? QByteArray("hex:") : "hex(" + QByteArray::number(value.Type, 16) + "):";
    for (qsizetype i = 0; i < value.Data.size(); ++i) {
        QByteArray item = QByteArray::number(static_cast<unsigned char>(value.Data[i]), 16).rightJustified(2, '0');
        if (i + 1 < value.Data.size())
            item += ',';
        if (i > 0 && line.size() + item.size() > 78) {
            out += line + "\\\r\n";
            line = "  ";
        }
        line += item;
    }
    out += line + "\r\n";
}

void AppendKey(QByteArray &out, const THiveKey &key, const QByteArray &path, bool isRoot)
{
    if (!isRoot || !key.Values.empty()) {
        out += '[' + path + "]\r\n";
        for (const THiveValue &value : key.Values)
            AppendValue(out, value);
        out += "\r\n";
    }
    for (const THiveKey &sub : key.SubKeys)
        AppendKey(out, sub, path + '\\' + sub.Name, false);
}
} // namespace

THiveParseResult ParseHive(const QByteArray &text, const QByteArray &rootName)
{
    if (text.isEmpty()) {
        THiveParseResult result;
        result.Ok = true;
        result.Root.Name = rootName;
        return result;
    }
    return THiveParser(text, rootName).Run();
}

QByteArray FormatHive(const THiveKey &root, const QByteArray &rootName)
{
    QByteArray out = "REGEDIT4\r\n\r\n";
    AppendKey(out, root, rootName, true);
    return out;
}
