#pragma once

// The clipboard opened and its blocks read as the program does them, MIME
// data in one format, and the sample text the text tests put on it.

#include "support/OpenClipboard.h"

#include <QByteArray>
#include <QMimeData>
#include <QString>

// MIME data with one format of the given MIME type.
inline QMimeData *MimeData(const QString &mime, const QByteArray &bytes)
{
    auto *data = new QMimeData;
    data->setData(mime, bytes);
    return data;
}

inline const QString Sample = QStringLiteral("#TC0:1:1 Пуск");
inline const QByteArray SampleAnsi = QByteArray("#TC0:1:1 \xCF\xF3\xF1\xEA", 13) + '\0';
inline const QByteArray SampleOem = QByteArray("#TC0:1:1 \x8F\xE3\xE1\xAA", 13) + '\0';
