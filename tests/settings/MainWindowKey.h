#pragma once

#include <QByteArray>

// The program's settings key below HKEY_CURRENT_USER and the main window's section.
inline const QByteArray Key = "Software\\Orbastel\\V3721Conf";
inline const QByteArray Section = Key + "\\MainWindow";
