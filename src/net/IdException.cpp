#include "net/IdException.h"

#include "net/IdResourceStrings.h"

QByteArray FormatIdText(const char *format, std::initializer_list<QByteArray> arguments)
{
    QByteArray text;
    auto next = arguments.begin();
    for (const char *p = format; *p; ++p) {
        if (p[0] == '%' && (p[1] == 'd' || p[1] == 's') && next != arguments.end()) {
            text += *next++;
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

EIdSocketError::EIdSocketError(int32_t code, QByteArray message)
    : EIdException(std::move(message)), FSocketErrorCode(code)
{
}

EIdStackInitializationFailed::EIdStackInitializationFailed() : EIdStackError(IdText::InitializationError) {}

EIdStackSetSizeExceeded::EIdStackSetSizeExceeded() : EIdStackError(IdText::SetSizeExceeded) {}

EIdStackCanNotLoadWinsock::EIdStackCanNotLoadWinsock(const QByteArray &libraryName)
    : EIdException(FormatIdText(IdText::CanNotLoad, {libraryName}))
{
}

EIdInvalidSocket::EIdInvalidSocket() : EIdException(IdText::CannotAllocateSocket) {}

EIdInvalidServiceName::EIdInvalidServiceName(const QByteArray &service)
    : EIdException(FormatIdText(IdText::InvalidServiceName, {service}))
{
}

EIdPackageSizeTooBig::EIdPackageSizeTooBig() : EIdSocketHandleError(IdText::PackageSizeTooBig) {}

EIdNotAllBytesSent::EIdNotAllBytesSent() : EIdSocketHandleError(IdText::NotAllBytesSent) {}

EIdCouldNotBindSocket::EIdCouldNotBindSocket() : EIdSocketHandleError(IdText::CouldNotBindSocket) {}

EIdUDPReceiveErrorZeroBytes::EIdUDPReceiveErrorZeroBytes()
    : EIdUDPException(IdText::UDPReceiveErrorZeroBytes)
{
}

EIdNoBindingsSpecified::EIdNoBindingsSpecified() : EIdUDPServerException(IdText::NoBindingsSpecified) {}
