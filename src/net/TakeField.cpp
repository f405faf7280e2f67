#include "net/TakeField.h"

QByteArray TakeField(QByteArray &input, const QByteArray &delimiter, bool cut)
{
    // An empty delimiter occurs nowhere.
    const qsizetype at = delimiter.isEmpty() ? -1 : input.indexOf(delimiter);
    if (at < 0) {
        QByteArray result = input;
        if (cut)
            input.clear();
        return result;
    }
    QByteArray result = input.left(at);
    if (cut)
        input.remove(0, at + delimiter.size());
    return result;
}
