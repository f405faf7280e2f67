#pragma once

#include <QByteArray>
#include <exception>

// Base of every exception the program raises. The message is a cp1251 byte
// string, as it is shown to the operator.
class Exception : public std::exception {
public:
    explicit Exception(QByteArray message);

    const QByteArray &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FMessage.constData(); }

private:
    QByteArray FMessage;
};

// The silent kind: abandons an operation without anything being shown.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// A text that does not convert to a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Raises the silent exception.
[[noreturn]] void Abort();

// The message of the exception being handled (call only inside a catch
// block): an Exception's own, a standard exception's what(), or
// "Unknown error" for anything else.
QByteArray CurrentExceptionMessage();
