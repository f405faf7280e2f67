#include "platform/registry/Registry.h"

#include "platform/cp1251/Ansi.h"
#include "platform/files/ConfigFiles.h"

#include <QDateTime>
#include <QDir>
#include <QDebug>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

namespace Reg {
namespace {
struct TOpenKey {
    HKEY Root = HKEY_NONE;
    QList<QByteArray> Path; // names as stored in the hive
    REGSAM Access = 0;
};

struct THandles {
    std::mutex Lock;
    std::map<uintptr_t, TOpenKey> Keys;
    uintptr_t Next = 1;
};

THandles &Handles()
{
    static THandles handles;
    return handles;
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

void Report(const QByteArray &report)
{
    THiveProblemHandler handler;
    {
        std::lock_guard guard(ProblemHandler().Lock);
        handler = ProblemHandler().Handler;
    }
    if (handler)
        handler(report);
    else
        qWarning().noquote() << FromAnsi(report);
}

HKEY NewHandle(HKEY root, QList<QByteArray> path, REGSAM access)
{
    THandles &handles = Handles();
    std::lock_guard guard(handles.Lock);
    const uintptr_t id = handles.Next++;
    handles.Keys[id] = {root, std::move(path), access};
    return HKEY(id);
}

LONG Resolve(HKEY key, TOpenKey *open)
{
    if (!RootKeyName(key).isEmpty()) {
        *open = {key, {}, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    THandles &handles = Handles();
    std::lock_guard guard(handles.Lock);
    const auto it = handles.Keys.find(uintptr_t(key));
    if (it == handles.Keys.end())
        return ERROR_INVALID_HANDLE;
    *open = it->second;
    return ERROR_SUCCESS;
}

LONG SplitPath(const QByteArray &subKey, QList<QByteArray> *names)
{
    names->clear();
    if (subKey.isEmpty())
        return ERROR_SUCCESS;
    if (subKey.startsWith('\\'))
        return ERROR_BAD_PATHNAME;
    const QByteArray path = subKey.endsWith('\\') ? subKey.chopped(1) : subKey;
    for (const QByteArray &name : path.split('\\')) {
        if (name.isEmpty())
            return ERROR_BAD_PATHNAME;
        if (!IsValidKeyName(name))
            return ERROR_INVALID_PARAMETER;
        names->append(name);
    }
    return ERROR_SUCCESS;
}

// The open key `key` stands for and the names of the path below it.
LONG ResolveSubKey(HKEY key, const QByteArray &subKey, TOpenKey *base, QList<QByteArray> *names)
{
    if (const LONG error = Resolve(key, base))
        return error;
    return SplitPath(subKey, names);
}

// Follows the path from the root; records the names as stored.
THiveKey *Walk(THiveKey &root, const QList<QByteArray> &path, QList<QByteArray> *stored = nullptr)
{
    THiveKey *key = &root;
    for (const QByteArray &name : path) {
        key = key->FindSubKey(name);
        if (!key)
            return nullptr;
        if (stored)
            stored->append(key->Name);
    }
    return key;
}

LONG ErrorFromErrno(int error, LONG otherwise)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EWOULDBLOCK:
        return ERROR_LOCK_VIOLATION;
    default:
        return otherwise;
    }
}

// Tells the operator of the lines skipped in a hive file. Every registry
// call reads the file anew, and the skipped lines stay in it when it is
// written back: the same lines are reported once, not at every call.
void ReportSkippedLines(HKEY root, const std::vector<THiveSkippedLine> &skipped)
{
    QByteArray lines;
    for (const THiveSkippedLine &line : skipped)
        lines += line.Text + '\n';
    {
        static std::mutex lock;
        static std::map<uintptr_t, QByteArray> reported;
        std::lock_guard guard(lock);
        QByteArray &last = reported[uintptr_t(root)];
        if (last == lines)
            return;
        last = lines;
    }
    if (skipped.empty())
        return;
    const size_t shown = std::min<size_t>(skipped.size(), 10);
    QStringList numbers;
    for (size_t i = 0; i < shown; ++i)
        numbers << QString::number(skipped[i].Line);
    QString list = numbers.join(QStringLiteral(", "));
    if (skipped.size() > shown)
        list += QStringLiteral(" и ещё %1").arg(skipped.size() - shown);
    const QString text = skipped.size() == 1
                             ? QStringLiteral("В файле настроек %1 не удалось прочитать строку %2: она пропущена "
                                              "и оставлена в файле как есть.")
                             : QStringLiteral("В файле настроек %1 не удалось прочитать строки %2: они пропущены "
                                              "и оставлены в файле как есть.");
    Report(ToAnsi(text.arg(QDir::toNativeSeparators(HiveFilePath(root)), list)));
}

LONG LoadHive(HKEY root, THiveKey *hive)
{
    QByteArray text;
    const int error = ReadWholeFile(HiveFilePath(root), &text);
    if (error == ENOENT)
        text.clear();
    else if (error)
        return ErrorFromErrno(error, ERROR_CANTREAD);
    THiveParseResult parsed = ParseHive(text, RootKeyName(root));
    if (!parsed.Ok)
        return ERROR_REGISTRY_CORRUPT;
    ReportSkippedLines(root, parsed.Skipped);
    *hive = std::move(parsed.Root);
    return ERROR_SUCCESS;
}

QString AsideName(const QString &path)
{
    const QString base = path + QStringLiteral(".bad-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFile::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

// One change of a hive: `change` edits the tree and says whether it changed
// anything; only then is the file rewritten.
LONG ModifyHive(HKEY root, const std::function<LONG(THiveKey &hive, bool *changed)> &change)
{
    const QString path = HiveFilePath(root);
    const QByteArray rootName = RootKeyName(root);
    LONG result = ERROR_SUCCESS;
    QByteArray report;
    std::optional<std::vector<THiveSkippedLine>> skipped; // once the hive was read
    const int error = UpdateFileLocked(path, [&](const QByteArray &contents) -> TFileUpdate {
        THiveParseResult parsed = ParseHive(contents, rootName);
        if (!parsed.Ok) {
            const QString aside = AsideName(path);
            if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0) {
                result = ERROR_REGISTRY_CORRUPT;
                return {};
            }
            report = ToAnsi(QStringLiteral("Файл настроек %1 не удалось прочитать (строка %2). Он сохранён как %3, "
                                           "настройки начинаются заново.")
                                .arg(QDir::toNativeSeparators(path))
                                .arg(parsed.ErrorLine)
                                .arg(QDir::toNativeSeparators(aside)));
            parsed = ParseHive({}, rootName);
        }
        skipped = parsed.Skipped;
        bool changed = false;
        result = change(parsed.Root, &changed);
        if (result != ERROR_SUCCESS || !changed)
            return {};
        return {FormatHive(parsed.Document, parsed.Root)};
    });
    if (!report.isEmpty())
        Report(report);
    if (skipped)
        ReportSkippedLines(root, *skipped);
    if (error)
        return ErrorFromErrno(error, ERROR_CANTWRITE);
    return result;
}
} // namespace

QString HiveFilePath(HKEY root)
{
    return ConfigDirectory() + QStringLiteral("/registry/") + QString::fromLatin1(RootKeyName(root))
           + QStringLiteral(".reg");
}

THiveProblemHandler SetHiveProblemHandler(THiveProblemHandler handler)
{
    std::lock_guard guard(ProblemHandler().Lock);
    return std::exchange(ProblemHandler().Handler, std::move(handler));
}

LONG CreateKeyEx(HKEY key, const QByteArray &subKey, DWORD, REGSAM access, HKEY *result, DWORD *disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = HKEY_NONE;
    TOpenKey base;
    QList<QByteArray> names;
    if (const LONG error = ResolveSubKey(key, subKey, &base, &names))
        return error;
    if (!names.isEmpty() && !(base.Access & KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;
    if (base.Path.size() + names.size() > MaxKeyDepth)
        return ERROR_INVALID_PARAMETER;

    // Most of the time the key exists already and nothing needs the lock.
    THiveKey hive;
    const LONG loaded = LoadHive(base.Root, &hive);
    if (loaded == ERROR_SUCCESS) {
        if (!Walk(hive, base.Path))
            return ERROR_KEY_DELETED;
        QList<QByteArray> stored;
        if (Walk(hive, base.Path + names, &stored)) {
            *result = NewHandle(base.Root, stored, access);
            if (disposition)
                *disposition = REG_OPENED_EXISTING_KEY;
            return ERROR_SUCCESS;
        }
    } else if (loaded != ERROR_REGISTRY_CORRUPT) {
        return loaded;
    }

    QList<QByteArray> stored;
    DWORD how = REG_OPENED_EXISTING_KEY;
    const LONG error = ModifyHive(base.Root, [&](THiveKey &root, bool *changed) {
        THiveKey *k = Walk(root, base.Path);
        if (!k)
            return ERROR_KEY_DELETED;
        stored = base.Path;
        for (const QByteArray &name : names) {
            bool created = false;
            k = &k->AddSubKey(name, &created);
            if (created) {
                *changed = true;
                how = REG_CREATED_NEW_KEY;
            }
            stored.append(k->Name);
        }
        return ERROR_SUCCESS;
    });
    if (error)
        return error;
    *result = NewHandle(base.Root, stored, access);
    if (disposition)
        *disposition = how;
    return ERROR_SUCCESS;
}

LONG OpenKeyEx(HKEY key, const QByteArray &subKey, REGSAM access, HKEY *result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = HKEY_NONE;
    TOpenKey base;
    QList<QByteArray> names;
    if (const LONG error = ResolveSubKey(key, subKey, &base, &names))
        return error;
    THiveKey hive;
    if (const LONG error = LoadHive(base.Root, &hive))
        return error;
    THiveKey *k = Walk(hive, base.Path);
    if (!k)
        return ERROR_KEY_DELETED;
    QList<QByteArray> stored = base.Path;
    if (!Walk(*k, names, &stored))
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(base.Root, stored, access);
    return ERROR_SUCCESS;
}

LONG CloseKey(HKEY key)
{
    if (!RootKeyName(key).isEmpty())
        return ERROR_SUCCESS;
    THandles &handles = Handles();
    std::lock_guard guard(handles.Lock);
    return handles.Keys.erase(uintptr_t(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace {
// Resolves an open key with the access a call needs and loads its hive.
LONG LoadKey(HKEY key, REGSAM needed, THiveKey *hive, const THiveKey **found)
{
    TOpenKey open;
    if (const LONG error = Resolve(key, &open))
        return error;
    if ((open.Access & needed) != needed)
        return ERROR_ACCESS_DENIED;
    if (const LONG error = LoadHive(open.Root, hive))
        return error;
    *found = Walk(*hive, open.Path);
    return *found ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}
} // namespace

LONG QueryValueEx(HKEY key, const QByteArray &name, DWORD *type, char *data, DWORD *size)
{
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    THiveKey hive;
    const THiveKey *k = nullptr;
    if (const LONG error = LoadKey(key, KEY_QUERY_VALUE, &hive, &k))
        return error;
    const THiveValue *value = k->FindValue(name);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->Type;
    const DWORD needed = DWORD(value->Data.size());
    if (!data) {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed)
        std::memcpy(data, value->Data.constData(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG SetValueEx(HKEY key, const QByteArray &name, DWORD type, const char *data, DWORD size)
{
    if (!IsValidValueName(name) || (!data && size))
        return ERROR_INVALID_PARAMETER;
    TOpenKey open;
    if (const LONG error = Resolve(key, &open))
        return error;
    if (!(open.Access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    const QByteArray bytes(data, qsizetype(size));
    return ModifyHive(open.Root, [&](THiveKey &root, bool *changed) {
        THiveKey *k = Walk(root, open.Path);
        if (!k)
            return ERROR_KEY_DELETED;
        *changed = k->SetValue(name, type, bytes);
        return ERROR_SUCCESS;
    });
}

LONG DeleteValue(HKEY key, const QByteArray &name)
{
    TOpenKey open;
    if (const LONG error = Resolve(key, &open))
        return error;
    if (!(open.Access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    return ModifyHive(open.Root, [&](THiveKey &root, bool *changed) {
        THiveKey *k = Walk(root, open.Path);
        if (!k)
            return ERROR_KEY_DELETED;
        *changed = k->RemoveValue(name);
        return *changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG DeleteKey(HKEY key, const QByteArray &subKey)
{
    TOpenKey base;
    QList<QByteArray> names;
    if (const LONG error = ResolveSubKey(key, subKey, &base, &names))
        return error;
    if (names.isEmpty())
        return ERROR_INVALID_PARAMETER;
    return ModifyHive(base.Root, [&](THiveKey &root, bool *changed) {
        THiveKey *k = Walk(root, base.Path);
        if (!k)
            return ERROR_KEY_DELETED;
        THiveKey *parent = Walk(*k, names.mid(0, names.size() - 1));
        const THiveKey *target = parent ? parent->FindSubKey(names.last()) : nullptr;
        if (!target)
            return ERROR_FILE_NOT_FOUND;
        if (!target->SubKeys.empty())
            return ERROR_ACCESS_DENIED;
        *changed = parent->RemoveSubKey(names.last());
        return ERROR_SUCCESS;
    });
}

LONG EnumKeyEx(HKEY key, DWORD index, QByteArray *name)
{
    THiveKey hive;
    const THiveKey *k = nullptr;
    if (const LONG error = LoadKey(key, KEY_ENUMERATE_SUB_KEYS, &hive, &k))
        return error;
    if (index >= k->SubKeys.size())
        return ERROR_NO_MORE_ITEMS;
    if (name)
        *name = k->SubKeys[index].Name;
    return ERROR_SUCCESS;
}

LONG EnumValue(HKEY key, DWORD index, QByteArray *name, DWORD *type, QByteArray *data)
{
    THiveKey hive;
    const THiveKey *k = nullptr;
    if (const LONG error = LoadKey(key, KEY_QUERY_VALUE, &hive, &k))
        return error;
    if (index >= k->Values.size())
        return ERROR_NO_MORE_ITEMS;
    const THiveValue &value = k->Values[index];
    if (name)
        *name = value.Name;
    if (type)
        *type = value.Type;
    if (data)
        *data = value.Data;
    return ERROR_SUCCESS;
}

LONG QueryInfoKey(HKEY key, DWORD *subKeys, DWORD *maxSubKeyLength, DWORD *values, DWORD *maxValueNameLength,
                  DWORD *maxValueLength)
{
    THiveKey hive;
    const THiveKey *k = nullptr;
    if (const LONG error = LoadKey(key, KEY_QUERY_VALUE, &hive, &k))
        return error;
    DWORD longestKey = 0, longestName = 0, longestData = 0;
    for (const THiveKey &sub : k->SubKeys)
        longestKey = std::max(longestKey, DWORD(sub.Name.size()));
    for (const THiveValue &value : k->Values) {
        longestName = std::max(longestName, DWORD(value.Name.size()));
        longestData = std::max(longestData, DWORD(value.Data.size()));
    }
    if (subKeys)
        *subKeys = DWORD(k->SubKeys.size());
    if (maxSubKeyLength)
        *maxSubKeyLength = longestKey;
    if (values)
        *values = DWORD(k->Values.size());
    if (maxValueNameLength)
        *maxValueNameLength = longestName;
    if (maxValueLength)
        *maxValueLength = longestData;
    return ERROR_SUCCESS;
}
} // namespace Reg
