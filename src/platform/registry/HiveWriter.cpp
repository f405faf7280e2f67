// Writing a hive file: the document it was read from, changed only where the
// hive changed.

#include "platform/registry/Hive.h"
#include "platform/registry/HiveText.h"

#include <QStringEncoder>

#include <algorithm>
#include <map>
#include <set>

using namespace HiveText;

namespace {
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

QByteArray NameText(const QByteArray &name, THiveFormat format)
{
    return name.isEmpty() ? QByteArray("@") : Quote(ToFile(name, format));
}

// The lines of a value, hex lists wrapped the way the registry editor wraps
// them; `remark` ends the last line.
QByteArrayList ValueLines(const QByteArray &nameText, const THiveValue &value, THiveFormat format,
                          const QByteArray &remark = {})
{
    if (value.Type == Reg::REG_SZ && IsQuotableText(value.Data))
        return {nameText + '=' + Quote(ToFile(value.Data.chopped(1), format)) + remark};
    if (value.Type == Reg::REG_DWORD && value.Data.size() == 4) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(value.Data[i]);
        return {nameText + "=dword:" + QByteArray::number(v, 16).rightJustified(8, '0') + remark};
    }
    QByteArrayList lines;
    QByteArray line = nameText + '=';
    line += value.Type == Reg::REG_BINARY ? QByteArray("hex:") : "hex(" + QByteArray::number(value.Type, 16) + "):";
    const QByteArray data = DataToFile(value.Type, value.Data, format);
    for (qsizetype i = 0; i < data.size(); ++i) {
        QByteArray item = QByteArray::number(static_cast<unsigned char>(data[i]), 16).rightJustified(2, '0');
        if (i + 1 < data.size())
            item += ',';
        if (i > 0 && line.size() + item.size() > 78) {
            lines.append(line + '\\');
            line = "  ";
        }
        line += item;
    }
    lines.append(line + remark);
    return lines;
}

// Whether lines are an entry: neither blank nor a comment.
bool IsEntry(const THiveText &text)
{
    const QByteArray first = text.Lines.value(0);
    const auto at = std::find_if(first.begin(), first.end(), [](char c) { return c != ' ' && c != '\t'; });
    return at != first.end() && *at != ';';
}

const THiveKey *Walk(const THiveKey &root, const QList<QByteArray> &path)
{
    const THiveKey *key = &root;
    for (const QByteArray &name : path)
        if (!(key = key->FindSubKey(name)))
            return nullptr;
    return key;
}

class THiveWriter {
public:
    THiveWriter(const THiveDocument &document, const THiveKey &root) : FDocument(document), FRoot(root) {}

    QByteArray Run()
    {
        FindSections();
        for (size_t i = 0; i < FDocument.Blocks.size(); ++i)
            WriteBlock(i);
        WriteNewKeys(FRoot, FDocument.RootName);
        QByteArray text;
        for (const QByteArray &line : FLines)
            text += line + "\r\n";
        if (FDocument.Format == THiveFormat::Regedit4)
            return text;
        QStringEncoder encoder(QStringConverter::Utf16LE);
        return "\xFF\xFE" + QByteArray(encoder.encode(QString::fromUtf8(text)));
    }

private:
    // Which sections remain: a section stands for its key unless a later
    // deletion in the file leaves it without effect; it remains while its
    // key is there, and one without effect while the keys above the deletion
    // are there. Also which keys the remaining sections create, and which
    // values have lines that stand for them.
    void FindSections()
    {
        const std::vector<THiveBlock> &blocks = FDocument.Blocks;
        FKeys.assign(blocks.size(), nullptr);
        FKept.assign(blocks.size(), false);
        FEffective.assign(blocks.size(), false);
        for (size_t i = 0; i < blocks.size(); ++i) {
            const THiveBlock &block = blocks[i];
            if (block.Kind == THiveBlock::Deletion) {
                if (const THiveKey *gone = Walk(FRoot, block.Path))
                    Uncreate(*gone);
                continue;
            }
            if (block.Kind != THiveBlock::Section)
                continue;
            qsizetype deleted = block.Path.size() + 1; // the shortest path a later deletion takes
            for (size_t later = i + 1; later < blocks.size(); ++later)
                if (blocks[later].Kind == THiveBlock::Deletion && IsBelow(block.Path, blocks[later].Path))
                    deleted = std::min(deleted, blocks[later].Path.size());
            FKeys[i] = Walk(FRoot, block.Path);
            FEffective[i] = deleted > block.Path.size();
            FKept[i] = FEffective[i] ? FKeys[i] != nullptr : Walk(FRoot, block.Path.mid(0, deleted - 1)) != nullptr;
            if (!FKept[i])
                continue;
            for (qsizetype n = 0; n <= block.Path.size(); ++n)
                if (const THiveKey *created = Walk(FRoot, block.Path.mid(0, n)))
                    FCreated.insert(created);
            if (!FEffective[i])
                continue;
            FLastSection[FKeys[i]] = i;
            for (const THiveText &text : block.Texts)
                if (const THiveValue *value = text.IsValue ? FKeys[i]->FindValue(text.Name) : nullptr)
                    FWritten.insert(value);
        }
    }

    void Uncreate(const THiveKey &key)
    {
        FCreated.erase(&key);
        for (const THiveKey &sub : key.SubKeys)
            Uncreate(sub);
    }

    void Append(const QByteArrayList &lines) { FLines += lines; }

    void AppendNewValues(const THiveKey &key)
    {
        for (const THiveValue &value : key.Values)
            if (!FWritten.count(&value))
                Append(ValueLines(NameText(value.Name, FDocument.Format), value, FDocument.Format));
    }

    void WriteBlock(size_t index)
    {
        const THiveBlock &block = FDocument.Blocks[index];
        const THiveKey *key = FKeys[index];
        if (block.Kind == THiveBlock::Section && !FKept[index])
            return; // its key is gone
        if (block.Kind != THiveBlock::Section || !FEffective[index]) {
            for (const THiveText &text : block.Texts)
                Append(text.Lines);
            return;
        }
        // New values go after the last entry of the key's last section, so
        // that no deletion of them in the file follows.
        qsizetype newValuesAt = FLines.size() + 1; // after the section line
        for (const THiveText &text : block.Texts) {
            const THiveValue *value = text.IsValue ? key->FindValue(text.Name) : nullptr;
            if (!text.IsValue)
                Append(text.Lines);
            else if (!value)
                Append({text.NameText + "=-"}); // deleted since
            else if (value->Type == text.Type && value->Data == text.Data)
                Append(text.Lines);
            else
                Append(ValueLines(text.NameText, *value, FDocument.Format, text.Remark));
            if (IsEntry(text))
                newValuesAt = FLines.size();
        }
        if (FLastSection[key] == index) {
            const QByteArrayList after = FLines.mid(newValuesAt);
            FLines.resize(newValuesAt);
            AppendNewValues(*key);
            Append(after);
        }
    }

    // Sections for the keys that have none: those with values to write, and
    // those no remaining section creates.
    void WriteNewKeys(const THiveKey &key, const QByteArray &path)
    {
        const bool isRoot = &key == &FRoot;
        const bool hasNewValues = std::any_of(key.Values.begin(), key.Values.end(),
                                              [&](const THiveValue &value) { return !FWritten.count(&value); });
        if (!FLastSection.count(&key) && (hasNewValues || (!isRoot && !FCreated.count(&key)))) {
            if (!FLines.isEmpty() && !FLines.last().isEmpty())
                Append({QByteArray()});
            Append({'[' + ToFile(path, FDocument.Format) + ']'});
            AppendNewValues(key);
            Append({QByteArray()});
        }
        for (const THiveKey &sub : key.SubKeys)
            WriteNewKeys(sub, path + '\\' + sub.Name);
    }

    const THiveDocument &FDocument;
    const THiveKey &FRoot;
    QByteArrayList FLines;
    std::vector<const THiveKey *> FKeys;
    std::vector<bool> FKept;
    std::vector<bool> FEffective;
    std::map<const THiveKey *, size_t> FLastSection;
    std::set<const THiveKey *> FCreated;
    std::set<const THiveValue *> FWritten;
};
} // namespace

THiveDocument NewHiveDocument(const QByteArray &rootName, THiveFormat format)
{
    THiveBlock preamble;
    THiveText header;
    header.Lines = {format == THiveFormat::Version5 ? Version5Header : Regedit4Header, QByteArray()};
    preamble.Texts.push_back(std::move(header));
    THiveDocument document{rootName, format, {}};
    document.Blocks.push_back(std::move(preamble));
    return document;
}

QByteArray FormatHive(const THiveDocument &document, const THiveKey &root)
{
    return THiveWriter(document, root).Run();
}

QByteArray FormatHive(const THiveKey &root, const QByteArray &rootName)
{
    return FormatHive(NewHiveDocument(rootName), root);
}
