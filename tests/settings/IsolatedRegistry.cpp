// On Windows the registry is the system's, shared by every test process:
// each test starts and ends without the keys the settings tests write, and
// its profile files live in an application data folder of its own. (On
// Linux every test process has a private hive and configuration folder
// already; see support/TestMain.cpp.) The tests that use the registry hold
// the lock "registry" (tests/CMakeLists.txt), so no other test process
// writes the same keys meanwhile.

#include "RegistryValues.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#ifdef Q_OS_WIN
namespace {
void RemoveTestKeys()
{
    using namespace Reg;
    const QByteArray program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toLatin1();
    for (const QByteArray &path : {QByteArray("Software\\Orbastel\\V3721Conf"), QByteArray("Software\\Test"),
                                   QByteArray("Software\\Values"), QByteArray("Software\\Store"),
                                   QByteArray("Software\\Elsewhere"), QByteArray("Direct"), "Software\\" + program})
        RegistryValues::RemoveKey(HKEY_CURRENT_USER, path);
    RegistryValues::RemoveKey(HKEY_LOCAL_MACHINE, "Software\\Test");
    RegistryValues::RemoveKey(HKEY_USERS, "Software\\Store");
}

class TIsolatedRegistry : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo &) override
    {
        RemoveTestKeys();
        FPreviousAppData = qgetenv("APPDATA");
        FAppData = std::make_unique<QTemporaryDir>();
        qputenv("APPDATA", FAppData->path().toLocal8Bit());
    }
    void OnTestEnd(const testing::TestInfo &) override
    {
        RemoveTestKeys();
        qputenv("APPDATA", FPreviousAppData);
        FAppData.reset();
    }

    QByteArray FPreviousAppData;
    std::unique_ptr<QTemporaryDir> FAppData;
};

const bool Installed = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new TIsolatedRegistry);
    return true;
}();
} // namespace
#endif
