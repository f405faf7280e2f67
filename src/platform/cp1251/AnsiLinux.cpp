#include "platform/cp1251/Ansi.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr const char *CodePage = "windows-1251";
}

QByteArray ToAnsi(const QString &text)
{
    QStringEncoder encoder(CodePage);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    // Some character has no cp1251 code: convert one code point at a time so
    // that each such character becomes exactly one '?'.
    bytes.clear();
    bytes.reserve(text.size());
    const QList<uint> points = text.toUcs4();
    for (uint point : points) {
        QStringEncoder single(CodePage);
        const QByteArray one = single.encode(QString::fromUcs4(reinterpret_cast<const char32_t *>(&point), 1));
        bytes += single.hasError() || one.size() != 1 ? QByteArray("?") : one;
    }
    return bytes;
}

QString FromAnsi(const QByteArray &text)
{
    QStringDecoder decoder(CodePage);
    return decoder.decode(text);
}
