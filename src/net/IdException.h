#pragma once

#include "framework/Exception.h"

#include <cstdint>

// The exceptions of the networking classes. Each class with a fixed text sets
// it itself; the base-only classes take any message.

class EIdException : public Exception {
public:
    using Exception::Exception;
};

// A failed socket call: "Socket Error # <code>" and, on the next line, the
// code's text (see TIdStack::ErrorMessageFor).
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int32_t code, QByteArray message);
    int32_t SocketErrorCode() const noexcept { return FSocketErrorCode; }

private:
    int32_t FSocketErrorCode;
};

class EIdStackError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdStackInitializationFailed : public EIdStackError {
public:
    EIdStackInitializationFailed();
};

class EIdStackSetSizeExceeded : public EIdStackError {
public:
    EIdStackSetSizeExceeded();
};

class EIdStackCanNotLoadWinsock : public EIdException {
public:
    explicit EIdStackCanNotLoadWinsock(const QByteArray &libraryName);
};

class EIdInvalidSocket : public EIdException {
public:
    EIdInvalidSocket();
};

class EIdInvalidServiceName : public EIdException {
public:
    explicit EIdInvalidServiceName(const QByteArray &service);
};

class EIdSocketHandleError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdPackageSizeTooBig : public EIdSocketHandleError {
public:
    EIdPackageSizeTooBig();
};

class EIdNotAllBytesSent : public EIdSocketHandleError {
public:
    EIdNotAllBytesSent();
};

class EIdCouldNotBindSocket : public EIdSocketHandleError {
public:
    EIdCouldNotBindSocket();
};

class EIdUDPException : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdUDPReceiveErrorZeroBytes : public EIdUDPException {
public:
    EIdUDPReceiveErrorZeroBytes();
};

class EIdUDPServerException : public EIdUDPException {
public:
    using EIdUDPException::EIdUDPException;
};

class EIdNoBindingsSpecified : public EIdUDPServerException {
public:
    EIdNoBindingsSpecified();
};
