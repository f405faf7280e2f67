#include "settings/Scramble.h"

#include <QCryptographicHash>

namespace {
QByteArray KeyStream(const QByteArray &key, qsizetype length)
{
    QByteArray stream;
    for (uint32_t block = 0; stream.size() < length; ++block) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(key);
        const char counter[4] = {char(block), char(block >> 8), char(block >> 16), char(block >> 24)};
        hash.addData(QByteArrayView(counter, 4));
        stream += hash.result();
    }
    stream.truncate(length);
    return stream;
}

QByteArray Combine(QByteArray data, const QByteArray &key)
{
    const QByteArray stream = KeyStream(key, data.size());
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(data[i] ^ stream[i]);
    return data;
}

bool IsHexText(const QByteArray &text)
{
    if (text.size() % 2)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}
} // namespace

QByteArray ScrambleText(const QByteArray &text, const QByteArray &key)
{
    return Combine(text, key).toHex().toUpper();
}

QByteArray UnscrambleText(const QByteArray &text, const QByteArray &key)
{
    if (!IsHexText(text))
        return text;
    return Combine(QByteArray::fromHex(text), key);
}
