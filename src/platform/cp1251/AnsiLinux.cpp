#include "platform/cp1251/Ansi.h"

#include <QStringDecoder>

#include <array>

namespace {
constexpr const char *CodePage = "windows-1251";

// The byte of every 16-bit character, '?' for those the code page lacks:
// made once from decoding the 256 bytes.
const std::array<char, 0x10000> &Bytes()
{
    static const std::array<char, 0x10000> bytes = [] {
        std::array<char, 0x10000> table;
        table.fill('?');
        for (int b = 0; b < 256; ++b) {
            const QString one = FromAnsi(QByteArray(1, char(b)));
            if (one.size() == 1 && one[0] != QChar::ReplacementCharacter)
                table[one[0].unicode()] = char(b);
        }
        return table;
    }();
    return bytes;
}
} // namespace

QByteArray ToAnsi(const QString &text)
{
    const std::array<char, 0x10000> &table = Bytes();
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        *out++ = table[text[i].unicode()];
        // A character beyond 16 bits (a surrogate pair) is one character:
        // one '?', not one for each half.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

QString FromAnsi(const QByteArray &text)
{
    QStringDecoder decoder(CodePage);
    return decoder.decode(text);
}
