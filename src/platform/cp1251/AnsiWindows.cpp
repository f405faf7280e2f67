#include "platform/cp1251/Ansi.h"

#include <windows.h>

// The workstation's ANSI code page (CP_ACP) is the program's 8-bit text.

namespace {
// A character beyond the 16-bit range (a surrogate pair) is one character
// that no ANSI code page has: one '?', not one for each half.
QString OneUnitPerCharacter(const QString &text)
{
    QString units;
    units.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            units += QLatin1Char('?');
            ++i;
        } else {
            units += text[i];
        }
    }
    return units;
}
} // namespace

QByteArray ToAnsi(const QString &text)
{
    if (text.isEmpty())
        return QByteArray("");
    const QString units = OneUnitPerCharacter(text);
    const auto *wide = reinterpret_cast<const wchar_t *>(units.utf16());
    const int length = int(units.size());
    // What the code page lacks becomes the default character given here,
    // '?', whatever the code page's own default is; no "best fit" look-alikes
    // (an accented letter stays '?', not the plain letter).
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, "?", nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, bytes.data(), size, "?", nullptr);
    return bytes;
}

QString FromAnsi(const QByteArray &text)
{
    if (text.isEmpty())
        return QString();
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.constData(), int(text.size()), nullptr, 0);
    QString result(size, Qt::Uninitialized);
    ::MultiByteToWideChar(CP_ACP, 0, text.constData(), int(text.size()), reinterpret_cast<wchar_t *>(result.data()),
                          size);
    return result;
}
