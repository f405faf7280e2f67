#include "platform/cp1251/Ansi.h"

#include "platform/cp1251/CodePageRules.h"

#include <windows.h>

// The workstation's ANSI code page (CP_ACP) is the program's 8-bit text,
// converted as the system's rules for that code page allow: on a
// workstation set to UTF-8 (65001) the call takes no flags and no default
// character and would fail with them.

QByteArray ToAnsi(const QString &text)
{
    if (text.isEmpty())
        return QByteArray("");
    const TCodePageRules rules = CodePageRules(::GetACP());
    const QString units = UnitsToConvert(text, rules);
    const auto *wide = reinterpret_cast<const wchar_t *>(units.utf16());
    const int length = int(units.size());
    // What the code page lacks becomes '?', whatever the code page's own
    // default character is; no "best fit" look-alikes where the code page
    // allows that (an accented letter stays '?', not the plain letter).
    const char *defaultChar = rules.TakesDefaultChar ? "?" : nullptr;
    const int size = ::WideCharToMultiByte(CP_ACP, rules.Flags, wide, length, nullptr, 0, defaultChar, nullptr);
    if (size <= 0)
        return QByteArray(length, '?');
    QByteArray bytes(size, Qt::Uninitialized);
    ::WideCharToMultiByte(CP_ACP, rules.Flags, wide, length, bytes.data(), size, defaultChar, nullptr);
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
