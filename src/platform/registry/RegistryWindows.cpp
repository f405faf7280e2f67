#include "platform/registry/Registry.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include <windows.h>

// The system's registry. The program's root key values are those of 32-bit
// Windows; on 64-bit Windows the predefined keys are the same numbers sign
// extended, so they are translated here, and keys the system opened are its
// own handles. Within namespace Reg, DWORD, LONG and HKEY are the program's
// types; ::DWORD and ::HKEY are the system's.

namespace Reg {
namespace {
::HKEY Native(HKEY key)
{
    if (!RootKeyName(key).isEmpty())
        return reinterpret_cast<::HKEY>(static_cast<intptr_t>(static_cast<int32_t>(uintptr_t(key))));
    return reinterpret_cast<::HKEY>(uintptr_t(key));
}

HKEY FromNative(::HKEY key)
{
    return HKEY(reinterpret_cast<uintptr_t>(key));
}

// The longest key name the registry takes, in characters.
constexpr ::DWORD KeyNameLength = 255;

// A buffer for a name of that many characters in the ANSI code page, with
// its NUL: the ANSI calls count bytes, and a character of a double-byte code
// page or of UTF-8 takes more than one.
::DWORD AnsiNameSize(::DWORD characters)
{
    CPINFO info{};
    const ::DWORD perCharacter = ::GetCPInfo(CP_ACP, &info) ? std::max<::DWORD>(info.MaxCharSize, 1) : 4;
    return characters * perCharacter + 1;
}

struct TProblemHandler {
    std::mutex Lock;
    THiveProblemHandler Handler;
};

TProblemHandler &ProblemHandler()
{
    static TProblemHandler handler;
    return handler;
}
} // namespace

LONG CreateKeyEx(HKEY key, const QByteArray &subKey, DWORD options, REGSAM access, HKEY *result, DWORD *disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = HKEY_NONE;
    ::HKEY opened = nullptr;
    ::DWORD how = 0;
    const LONG error = ::RegCreateKeyExA(Native(key), subKey.constData(), 0, nullptr, options, access, nullptr,
                                         &opened, &how);
    if (error != ERROR_SUCCESS)
        return error;
    *result = FromNative(opened);
    if (disposition)
        *disposition = how;
    return ERROR_SUCCESS;
}

LONG OpenKeyEx(HKEY key, const QByteArray &subKey, REGSAM access, HKEY *result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = HKEY_NONE;
    ::HKEY opened = nullptr;
    const LONG error = ::RegOpenKeyExA(Native(key), subKey.constData(), 0, access, &opened);
    if (error == ERROR_SUCCESS)
        *result = FromNative(opened);
    return error;
}

LONG CloseKey(HKEY key)
{
    if (!RootKeyName(key).isEmpty())
        return ERROR_SUCCESS;
    return ::RegCloseKey(Native(key));
}

LONG QueryValueEx(HKEY key, const QByteArray &name, DWORD *type, char *data, DWORD *size)
{
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    return ::RegQueryValueExA(Native(key), name.constData(), nullptr, reinterpret_cast<LPDWORD>(type),
                              reinterpret_cast<BYTE *>(data), reinterpret_cast<LPDWORD>(size));
}

LONG SetValueEx(HKEY key, const QByteArray &name, DWORD type, const char *data, DWORD size)
{
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    return ::RegSetValueExA(Native(key), name.constData(), 0, type, reinterpret_cast<const BYTE *>(data), size);
}

LONG DeleteValue(HKEY key, const QByteArray &name)
{
    return ::RegDeleteValueA(Native(key), name.constData());
}

LONG DeleteKey(HKEY key, const QByteArray &subKey)
{
    return ::RegDeleteKeyA(Native(key), subKey.constData());
}

LONG EnumKeyEx(HKEY key, DWORD index, QByteArray *name)
{
    ::DWORD length = AnsiNameSize(KeyNameLength);
    QByteArray buffer(qsizetype(length), Qt::Uninitialized);
    const LONG error = ::RegEnumKeyExA(Native(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS && name)
        *name = buffer.left(qsizetype(length));
    return error;
}

LONG EnumValue(HKEY key, DWORD index, QByteArray *name, DWORD *type, QByteArray *data)
{
    ::DWORD nameSize = 0, dataSize = 0;
    LONG error = ::RegQueryInfoKeyA(Native(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    &nameSize, &dataSize, nullptr, nullptr);
    // A value may grow between the two calls: ask again with the new sizes.
    for (int attempt = 0; error == ERROR_SUCCESS && attempt < 8; ++attempt) {
        ::DWORD nameLength = AnsiNameSize(nameSize), dataLength = dataSize, valueType = 0;
        QByteArray nameBuffer(qsizetype(nameLength), Qt::Uninitialized);
        QByteArray dataBuffer(qsizetype(dataSize), Qt::Uninitialized);
        error = ::RegEnumValueA(Native(key), index, nameBuffer.data(), &nameLength, nullptr, &valueType,
                                reinterpret_cast<BYTE *>(dataBuffer.data()), &dataLength);
        if (error == ERROR_MORE_DATA) {
            error = ::RegQueryInfoKeyA(Native(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       &nameSize, &dataSize, nullptr, nullptr);
            continue;
        }
        if (error != ERROR_SUCCESS)
            return error;
        if (name)
            *name = nameBuffer.left(nameLength);
        if (type)
            *type = valueType;
        if (data)
            *data = dataBuffer.left(dataLength);
        return ERROR_SUCCESS;
    }
    return error;
}

LONG QueryInfoKey(HKEY key, DWORD *subKeys, DWORD *maxSubKeyLength, DWORD *values, DWORD *maxValueNameLength,
                  DWORD *maxValueLength)
{
    return ::RegQueryInfoKeyA(Native(key), nullptr, nullptr, nullptr, reinterpret_cast<LPDWORD>(subKeys),
                              reinterpret_cast<LPDWORD>(maxSubKeyLength), nullptr, reinterpret_cast<LPDWORD>(values),
                              reinterpret_cast<LPDWORD>(maxValueNameLength),
                              reinterpret_cast<LPDWORD>(maxValueLength), nullptr, nullptr);
}

THiveProblemHandler SetHiveProblemHandler(THiveProblemHandler handler)
{
    std::lock_guard guard(ProblemHandler().Lock);
    return std::exchange(ProblemHandler().Handler, std::move(handler));
}
} // namespace Reg
