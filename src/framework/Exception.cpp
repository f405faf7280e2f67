#include "framework/Exception.h"

Exception::Exception(QByteArray message) : FMessage(std::move(message)) {}

void Abort()
{
    throw EAbort();
}

QByteArray CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const Exception &e) {
        return e.Message();
    } catch (const std::exception &e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}
