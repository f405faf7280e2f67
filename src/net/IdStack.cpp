#include "net/IdStack.h"

#include "net/IdException.h"
#include "net/IdResourceStrings.h"
#include "net/TakeField.h"
#include "framework/TextRoutines.h"

#include <algorithm>

std::unique_ptr<TIdStack> GlobalStack;
int32_t StackUserCount = 0;

void AcquireGlobalStack()
{
    if (!GlobalStack)
        GlobalStack = TIdStack::NewPlatformStack();
    ++StackUserCount;
}

void ReleaseGlobalStack()
{
    if (--StackUserCount == 0)
        GlobalStack.reset();
}

TIdStack::~TIdStack() = default;

namespace {
struct TSocketErrorText {
    int32_t Code;
    const char *Text;
};
namespace E = Sockets::WsaError;
constexpr TSocketErrorText SocketErrorTexts[] = {
    {E::Interrupted, "Interrupted system call."},
    {E::BadFile, "Bad file number."},
    {E::AccessDenied, "Access denied."},
    {E::Fault, "Bad address."},
    {E::InvalidArgument, "Invalid argument."},
    {E::TooManyOpenFiles, "Too many open files."},
    {E::WouldBlock, "Operation would block. "},
    {E::InProgress, "Operation now in progress."},
    {E::Already, "Operation already in progress."},
    {E::NotSocket, "Socket operation on non-socket."},
    {E::DestAddressRequired, "Destination address required."},
    {E::MessageSize, "Message too long."},
    {E::ProtocolType, "Protocol wrong type for socket."},
    {E::NoProtocolOption, "Bad protocol option."},
    {E::ProtocolNotSupported, "Protocol not supported."},
    {E::SocketTypeNotSupported, "Socket type not supported."},
    {E::OperationNotSupported, "Operation not supported on socket."},
    {E::ProtocolFamilyNotSupported, "Protocol family not supported."},
    {E::AddressFamilyNotSupported, "Address family not supported by protocol family."},
    {E::AddressInUse, "Address already in use."},
    {E::AddressNotAvailable, "Cannot assign requested address."},
    {E::NetworkDown, "Network is down."},
    {E::NetworkUnreachable, "Network is unreachable."},
    {E::NetworkReset, "Net dropped connection or reset."},
    {E::ConnectionAborted, "Software caused connection abort."},
    {E::ConnectionReset, "Connection reset by peer."},
    {E::NoBufferSpace, "No buffer space available."},
    {E::IsConnected, "Socket is already connected."},
    {E::NotConnected, "Socket is not connected."},
    {E::Shutdown, "Cannot send or receive after socket is closed."},
    {E::TooManyReferences, "Too many references, cannot splice."},
    {E::TimedOut, "Connection timed out."},
    {E::ConnectionRefused, "Connection refused."},
    {E::Loop, "Too many levels of symbolic links."},
    {E::NameTooLong, "File name too long."},
    {E::HostDown, "Host is down."},
    {E::HostUnreachable, "No route to host."},
    {E::NotEmpty, "Directory not empty"},
};
} // namespace

QByteArray TIdStack::ErrorMessageFor(int32_t code)
{
    for (const TSocketErrorText &row : SocketErrorTexts)
        if (row.Code == code)
            return row.Text;
    return {};
}

TIdStackSocketHandle TIdStack::NewSocketHandle(int socketType, int protocol)
{
    const TIdStackSocketHandle s = SockOpen(Sockets::AfInet, socketType, protocol);
    if (s == Sockets::InvalidSocket)
        throw EIdInvalidSocket();
    return s;
}

bool TIdStack::CheckSocketResult(int result)
{
    return CheckSocketResult(result, {});
}

bool TIdStack::CheckSocketResult(int result, std::initializer_list<int32_t> tolerated)
{
    if (result != Sockets::SocketError)
        return false;
    const int32_t code = SockLastError();
    if (std::find(tolerated.begin(), tolerated.end(), code) != tolerated.end())
        return true;
    RaiseSocketFailure(code);
}

void TIdStack::RaiseSocketFailure(int32_t code)
{
    throw EIdSocketError(code, FormatIdText(IdText::SocketError, {IntToStr(code), ErrorMessageFor(code)}));
}

namespace {
bool IsLocalHostName(const QByteArray &host)
{
    return SameTextAscii(host, QByteArrayLiteral("LOCALHOST"));
}
} // namespace

QByteArray TIdStack::HostToAddressText(const QByteArray &host)
{
    if (IsLocalHostName(host))
        return QByteArrayLiteral("127.0.0.1");
    if (IsAddressText(host))
        return host;
    return SockResolveName(host);
}

bool TIdStack::NeedsLookup(const QByteArray &host)
{
    return !IsLocalHostName(host) && !IsAddressText(host);
}

TIdInAddr TIdStack::AddressFromText(const QByteArray &text)
{
    TIdInAddr address{};
    FillAddressFromText(text, address);
    return address;
}

bool TIdStack::IsOctetText(const QByteArray &part)
{
    // Converting with the fallbacks -1 and 256 and asking for ">= 0" and
    // "< 256" comes to one conversion whose failure reads as -1.
    const int32_t value = StrToIntDef(part, -1);
    return value >= 0 && value < 256;
}

bool TIdStack::IsAddressText(const QByteArray &text)
{
    QByteArrayView rest = text;
    for (int i = 0; i < 3; ++i)
        if (!IsOctetText(Unowned(TakeField(rest, ".", true))))
            return false;
    return IsOctetText(Unowned(rest));
}
