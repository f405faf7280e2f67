#pragma once

#include <QByteArray>
#include <QString>

// The program's texts are 8-bit cp1251 ("ANSI") byte strings. These two
// functions are the only place where they meet Qt's Unicode strings.

// Unicode to cp1251; a character that cp1251 lacks becomes '?'.
QByteArray ToAnsi(const QString &text);

// cp1251 to Unicode; every byte maps to one character.
QString FromAnsi(const QByteArray &text);
