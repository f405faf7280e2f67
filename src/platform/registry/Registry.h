#pragma once

#include "platform/registry/Hive.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

// The registry calls of the program (RegCreateKeyExA, ...), returning Windows
// error codes. On Windows they are the system's own, on the real registry.
//
// On Linux they are a local stand-in for the Windows registry: one hive file per root key at
// CONFIGDIR/registry/<ROOT>.reg (HKEY_CURRENT_USER.reg, ...) in the registry
// editor's text form of Hive.h, where CONFIGDIR is $XDG_CONFIG_HOME or
// ~/.config. The calls behave like their Windows namesakes (RegCreateKeyExA,
// ...) and return Windows error codes. Nothing is cached: every call reads
// the hive file, and every change is one read-modify-write under the lock of
// HKEY_CURRENT_USER.reg.lock that replaces the file atomically, so several
// processes can use the registry at once and a crash at any instant leaves
// either the old or the new hive.
//
// A hand-edited hive file is read as the registry editor imports it; lines
// the editor would skip are skipped, reported once through the problem
// handler and kept in the file when it is written back, like comments,
// sections of other root keys and the 5.00 format. A hive file that cannot
// be read at all is never overwritten: reading from it fails with
// ERROR_REGISTRY_CORRUPT, and the first change renames it aside
// (HKEY_CURRENT_USER.reg.bad-<date>-<time>), reports that through the
// problem handler and starts an empty hive.

namespace Reg {
using LONG = int32_t;
using DWORD = uint32_t;
using REGSAM = uint32_t;

enum class HKEY : uintptr_t {};
inline constexpr HKEY HKEY_NONE = HKEY(0);
inline constexpr HKEY HKEY_CLASSES_ROOT = HKEY(0x80000000u);
inline constexpr HKEY HKEY_CURRENT_USER = HKEY(0x80000001u);
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY(0x80000002u);
inline constexpr HKEY HKEY_USERS = HKEY(0x80000003u);
inline constexpr HKEY HKEY_CURRENT_CONFIG = HKEY(0x80000005u);
inline constexpr HKEY HKEY_DYN_DATA = HKEY(0x80000006u);

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LONG ERROR_LOCK_VIOLATION = 33;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_DISK_FULL = 112;
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_CANTREAD = 1012;
inline constexpr LONG ERROR_CANTWRITE = 1013;
inline constexpr LONG ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr LONG ERROR_KEY_DELETED = 1018;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Sub-key paths are relative to `key`, components separated by '\'; an
// empty path names `key` itself. Opened keys must be closed with CloseKey.
LONG CreateKeyEx(HKEY key, const QByteArray &subKey, DWORD options, REGSAM access, HKEY *result,
                 DWORD *disposition = nullptr);
LONG OpenKeyEx(HKEY key, const QByteArray &subKey, REGSAM access, HKEY *result);
LONG CloseKey(HKEY key);

// With data null, reports the type and the size; with a buffer of *size
// bytes, copies the data, or gives ERROR_MORE_DATA and the size needed.
// An empty name is the key's default value.
LONG QueryValueEx(HKEY key, const QByteArray &name, DWORD *type, char *data, DWORD *size);
LONG SetValueEx(HKEY key, const QByteArray &name, DWORD type, const char *data, DWORD size);
LONG DeleteValue(HKEY key, const QByteArray &name);

// Deletes a key without subkeys (ERROR_ACCESS_DENIED when it has some).
LONG DeleteKey(HKEY key, const QByteArray &subKey);

// Subkeys in the registry's order (by name), values in the order written.
LONG EnumKeyEx(HKEY key, DWORD index, QByteArray *name);
LONG EnumValue(HKEY key, DWORD index, QByteArray *name, DWORD *type, QByteArray *data);
// Any pointer may be null. Lengths are in characters, without terminator.
LONG QueryInfoKey(HKEY key, DWORD *subKeys, DWORD *maxSubKeyLength, DWORD *values,
                  DWORD *maxValueNameLength, DWORD *maxValueLength);

// "HKEY_CURRENT_USER" for HKEY_CURRENT_USER and so on; empty for other keys.
QByteArray RootKeyName(HKEY root);
// The root key of that name, or HKEY_NONE.
HKEY RootKeyFromName(const QByteArray &name);
#ifndef Q_OS_WIN
QString HiveFilePath(HKEY root);
#endif

// Receives the report of a hive file that had to be kept aside, or of lines
// of it that were skipped (a cp1251 text for the operator). The default
// handler writes it to the debug log. The system's registry on Windows has
// no hive file of ours: nothing is reported there.
using THiveProblemHandler = std::function<void(const QByteArray &report)>;
THiveProblemHandler SetHiveProblemHandler(THiveProblemHandler handler);
} // namespace Reg
