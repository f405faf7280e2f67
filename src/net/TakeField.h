#pragma once

#include <QByteArray>

// The text before the first occurrence of `delimiter` in `input` (all of
// `input` when there is none). With `cut`, `input` loses that text and the
// delimiter (becomes empty when there is none).
QByteArray TakeField(QByteArray &input, const QByteArray &delimiter, bool cut);
