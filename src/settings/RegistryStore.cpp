#include "settings/RegistryStore.h"

#include "framework/ErrorDisplay.h"
#include "framework/MessageBox.h"
#include "platform/cp1251/Ansi.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>

using namespace Reg;

void InstallHiveProblemDisplay()
{
    static const bool installed = [] {
        SetHiveProblemHandler([](const QByteArray &report) {
            qWarning().noquote() << FromAnsi(report);
            if (QCoreApplication *application = QCoreApplication::instance())
                QTimer::singleShot(0, application, [report] {
                    ShowMessageBox(report, ToAnsi(ApplicationTitle()), TMsgIcon::Warning);
                });
        });
        return true;
    }();
    (void)installed;
}

TRegistryStore::TRegistryStore(const QByteArray &keyPath) : FKeyPath(keyPath)
{
    InstallHiveProblemDisplay();
    CreateKeyEx(FRoot, FKeyPath, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &FCurrentKey);
}

TRegistryStore::~TRegistryStore()
{
    if (FCurrentKey != HKEY_NONE)
        CloseKey(FCurrentKey);
}

void TRegistryStore::SwitchRoot(HKEY root, bool create)
{
    if (FCurrentKey != HKEY_NONE)
        CloseKey(std::exchange(FCurrentKey, HKEY_NONE));
    FRoot = root;
    if (create)
        CreateKeyEx(FRoot, FKeyPath, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &FCurrentKey);
    else
        OpenKeyEx(FRoot, FKeyPath, FAccess, &FCurrentKey);
}

HKEY TRegistryStore::BaseKey(const QByteArray &section, QByteArray *path) const
{
    if (section.startsWith('\\')) {
        *path = section.mid(1);
        return FRoot;
    }
    *path = section;
    return FCurrentKey != HKEY_NONE ? FCurrentKey : FRoot;
}

namespace {
// Closes a key when the scope ends.
class TKeyHolder {
public:
    TKeyHolder() = default;
    TKeyHolder(const TKeyHolder &) = delete;
    TKeyHolder &operator=(const TKeyHolder &) = delete;
    ~TKeyHolder() { Close(); }
    HKEY *Out() { return &FKey; }
    HKEY Get() const { return FKey; }
    void Close()
    {
        if (FKey != HKEY_NONE)
            CloseKey(std::exchange(FKey, HKEY_NONE));
    }

private:
    HKEY FKey = HKEY_NONE;
};

QByteArray Quoted(const QByteArray &name)
{
    return '\'' + name + '\'';
}

// Reads of a value that keeps growing under them before the store gives up.
constexpr int ReadAttempts = 4;
} // namespace

LONG TRegistryStore::QueryValue(HKEY key, const QByteArray &name, DWORD *type, char *data, DWORD *size)
{
    return QueryValueEx(key, name, type, data, size);
}

QByteArray TRegistryStore::StoreReadText(const QByteArray &section, const QByteArray &name,
                                         const QByteArray &fallback)
{
    QByteArray path;
    const HKEY base = BaseKey(section, &path);
    TKeyHolder key;
    if (OpenKeyEx(base, path, FAccess, key.Out()) != ERROR_SUCCESS)
        return fallback;
    DWORD type = 0, size = 0;
    if (QueryValue(key.Get(), name, &type, nullptr, &size) != ERROR_SUCCESS)
        return fallback;
    if (size == 0)
        return {};
    // Another writer may lengthen the value between the size question and
    // the read: the read then gives the size it has now, and is made again.
    QByteArray data;
    LONG error = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < ReadAttempts && error == ERROR_MORE_DATA; ++attempt) {
        data.resize(qsizetype(size));
        error = QueryValue(key.Get(), name, &type, data.data(), &size);
    }
    if (error != ERROR_SUCCESS)
        throw ESettingsError("Failed to get data for " + Quoted(name));
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ESettingsError("Invalid data type for " + Quoted(name));
    data.truncate(qsizetype(size));
    const qsizetype zero = data.indexOf('\0');
    return zero < 0 ? data : data.left(zero);
}

void TRegistryStore::StoreWriteText(const QByteArray &section, const QByteArray &name, const QByteArray &text)
{
    QByteArray path;
    const HKEY base = BaseKey(section, &path);
    {
        TKeyHolder created;
        if (CreateKeyEx(base, path, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, created.Out()) != ERROR_SUCCESS)
            throw ESettingsError("Failed to create key " + section);
    }
    TKeyHolder key;
    if (OpenKeyEx(base, path, FAccess, key.Out()) != ERROR_SUCCESS)
        return;
    const QByteArray data = text + '\0';
    if (SetValueEx(key.Get(), name, REG_SZ, data.constData(), DWORD(data.size())) != ERROR_SUCCESS)
        throw ESettingsError("Failed to set data for " + Quoted(name));
}

namespace {
void DeleteKeyTree(HKEY base, const QByteArray &path, REGSAM access)
{
    {
        TKeyHolder key;
        if (OpenKeyEx(base, path, access, key.Out()) == ERROR_SUCCESS) {
            DWORD count = 0, longest = 0;
            if (QueryInfoKey(key.Get(), &count, &longest, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
                QList<QByteArray> names;
                for (DWORD i = 0; i < count; ++i) {
                    QByteArray name;
                    if (EnumKeyEx(key.Get(), i, &name) == ERROR_SUCCESS)
                        names.append(name);
                }
                for (const QByteArray &name : names)
                    DeleteKeyTree(key.Get(), name, access);
            }
        }
    }
    DeleteKey(base, path);
}
} // namespace

void TRegistryStore::DeleteSection(const QByteArray &section)
{
    QByteArray path;
    const HKEY base = BaseKey(section, &path);
    DeleteKeyTree(base, path, FAccess);
}
