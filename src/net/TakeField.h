#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The text before the first occurrence of `delimiter` in `input` (all of
// `input` when there is none). With `cut`, `input` loses that text and the
// delimiter (becomes empty when there is none). Works on views of the
// caller's text, so taking a text apart allocates nothing.
QByteArrayView TakeField(QByteArrayView &input, QByteArrayView delimiter, bool cut);

// A QByteArray over a field's bytes without copying them, for the text
// routines; it must not outlive the text the field is in.
inline QByteArray Unowned(QByteArrayView field)
{
    return QByteArray::fromRawData(field.data(), field.size());
}
