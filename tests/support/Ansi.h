#pragma once

#include "platform/cp1251/Ansi.h"

// cp1251 bytes of a UTF-8 source literal, for expected texts in tests.
inline QByteArray A(const char *utf8)
{
    return ToAnsi(QString::fromUtf8(utf8));
}
