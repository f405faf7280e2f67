#include "framework/Exception.h"

Exception::Exception(QByteArray message) : FMessage(std::move(message)) {}

void Abort()
{
    throw EAbort();
}
