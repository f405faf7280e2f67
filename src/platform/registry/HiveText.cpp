#include "platform/registry/HiveText.h"

#include "platform/cp1251/Ansi.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace HiveText {
namespace {
bool IsUtf16Text(uint32_t type, THiveFormat format)
{
    return format == THiveFormat::Version5
           && (type == Reg::REG_SZ || type == Reg::REG_EXPAND_SZ || type == Reg::REG_MULTI_SZ);
}
} // namespace

QByteArray ToFile(const QByteArray &ansi, THiveFormat format)
{
    return format == THiveFormat::Version5 ? FromAnsi(ansi).toUtf8() : ansi;
}

QByteArray FromFile(const QByteArray &text, THiveFormat format)
{
    return format == THiveFormat::Version5 ? ToAnsi(QString::fromUtf8(text)) : text;
}

QByteArray DataToFile(uint32_t type, const QByteArray &data, THiveFormat format)
{
    if (!IsUtf16Text(type, format))
        return data;
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return encoder.encode(FromAnsi(data));
}

QByteArray DataFromFile(uint32_t type, const QByteArray &data, THiveFormat format)
{
    if (!IsUtf16Text(type, format) || data.size() % 2 != 0)
        return data;
    QStringDecoder decoder(QStringConverter::Utf16LE, QStringConverter::Flag::ConvertInitialBom);
    return ToAnsi(decoder.decode(data));
}
bool SamePath(const QList<QByteArray> &a, const QList<QByteArray> &b)
{
    return a.size() == b.size() && IsBelow(a, b);
}

bool IsBelow(const QList<QByteArray> &path, const QList<QByteArray> &key)
{
    if (path.size() < key.size())
        return false;
    for (qsizetype i = 0; i < key.size(); ++i)
        if (!SameRegistryName(path[i], key[i]))
            return false;
    return true;
}
} // namespace HiveText
