#include "net/TakeField.h"

QByteArrayView TakeField(QByteArrayView &input, QByteArrayView delimiter, bool cut)
{
    // An empty delimiter occurs nowhere.
    const qsizetype at = delimiter.isEmpty()       ? -1
                         : delimiter.size() == 1 ? input.indexOf(delimiter.front())
                                                 : input.indexOf(delimiter);
    if (at < 0) {
        const QByteArrayView result = input;
        if (cut)
            input = {};
        return result;
    }
    const QByteArrayView result = input.first(at);
    if (cut)
        input = input.sliced(at + delimiter.size());
    return result;
}
