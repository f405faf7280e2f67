#include "platform/mailslot/Mailslot.h"

#include <windows.h>

// The system's own mailslots: names, letter case, hierarchy and the error
// codes are the system's.

namespace {
// What ReadFile is given while no message waits yet: room for any message a
// local writer sends in one piece. A message that waits already is read
// with a buffer of the size GetMailslotInfo reports for it (Wine cuts a
// message longer than the buffer without a word; Windows fails the read).
constexpr DWORD WaitingReadSize = 65536;

HANDLE Native(void *handle)
{
    return handle ? static_cast<HANDLE>(handle) : INVALID_HANDLE_VALUE;
}
} // namespace

TMailslotClient::~TMailslotClient()
{
    Close();
}

uint32_t TMailslotClient::Open(const QByteArray &mailslotPath)
{
    Close();
    const HANDLE handle = ::CreateFileA(mailslotPath.constData(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    FHandle = handle;
    return MailslotError::Success;
}

// A mailslot takes the message into its queue at once: the write never
// waits for the receiver.
uint32_t TMailslotClient::Write(const QByteArray &message)
{
    if (!FHandle)
        return MailslotError::GenFailure;
    DWORD written = 0;
    if (!::WriteFile(Native(FHandle), message.constData(), DWORD(message.size()), &written, nullptr))
        return ::GetLastError();
    return written == DWORD(message.size()) ? MailslotError::Success : MailslotError::GenFailure;
}

void TMailslotClient::Close()
{
    if (FHandle)
        ::CloseHandle(Native(FHandle));
    FHandle = nullptr;
}

TMailslotServer::~TMailslotServer()
{
    Close();
}

uint32_t TMailslotServer::Create(const QByteArray &mailslotPath)
{
    Close();
    const HANDLE handle = ::CreateMailslotA(mailslotPath.constData(), 0, MAILSLOT_WAIT_FOREVER, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    FHandle = handle;
    return MailslotError::Success;
}

std::optional<QByteArray> TMailslotServer::Read(int timeoutMs)
{
    if (!FHandle)
        return std::nullopt;
    const HANDLE handle = Native(FHandle);
    if (!::SetMailslotInfo(handle, timeoutMs < 0 ? MAILSLOT_WAIT_FOREVER : DWORD(timeoutMs)))
        return std::nullopt;
    DWORD next = MAILSLOT_NO_MESSAGE;
    if (!::GetMailslotInfo(handle, nullptr, &next, nullptr, nullptr))
        return std::nullopt;
    // (A buffer of no bytes is no read at all for Wine, even of an empty message.)
    QByteArray message(next == MAILSLOT_NO_MESSAGE ? WaitingReadSize : qMax<DWORD>(next, 1), Qt::Uninitialized);
    DWORD got = 0;
    if (!::ReadFile(handle, message.data(), DWORD(message.size()), &got, nullptr)) {
        // A longer message came while the read waited.
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || !::GetMailslotInfo(handle, nullptr, &next, nullptr, nullptr)
            || next == MAILSLOT_NO_MESSAGE)
            return std::nullopt;
        message.resize(next);
        if (!::ReadFile(handle, message.data(), DWORD(message.size()), &got, nullptr))
            return std::nullopt;
    }
    message.truncate(got);
    return message;
}

void TMailslotServer::Close()
{
    if (FHandle)
        ::CloseHandle(Native(FHandle));
    FHandle = nullptr;
}
