#pragma once

#include <QByteArray>
#include <initializer_list>

// The networking classes' message texts.
namespace IdText {
inline constexpr char SocketError[] = "Socket Error # %d\r\n%s";
inline constexpr char InitializationError[] = "Winsock Initialization Error.";
inline constexpr char SetSizeExceeded[] = "Set Size Exceeded.";
inline constexpr char CanNotLoad[] = "%s could not be loaded.";
inline constexpr char CannotAllocateSocket[] = "Cannot allocate socket.";
inline constexpr char InvalidServiceName[] = "%s is not a valid service.";
inline constexpr char PackageSizeTooBig[] = "Package Size Too Big.";
inline constexpr char NotAllBytesSent[] = "Not all bytes sent.";
inline constexpr char CouldNotBindSocket[] = "Could not bind socket. Address and port are already in use.";
inline constexpr char UDPReceiveErrorZeroBytes[] = "UDP Receive Error = 0.";
inline constexpr char NoBindingsSpecified[] = "No bindings specified.";
} // namespace IdText

// A text with each "%d" or "%s" of `format` replaced by the next argument.
QByteArray FormatIdText(const char *format, std::initializer_list<QByteArray> arguments);
