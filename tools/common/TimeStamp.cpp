#include "TimeStamp.h"

QByteArray LineStamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss.zzz ")).toLatin1();
}

QString JsonTime(const QDateTime &time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}
