// main() of every test program: an application (offscreen on Linux) whose
// runtime folder (mailslots) and configuration folder (settings hive, profile
// files) are private temporary folders, never the user's, and which starts
// with an empty clipboard.

#include "framework/Application.h"
#include "support/ClipboardContent.h"

#include <QDir>
#include <QTemporaryDir>
#include <gmock/gmock.h>

int main(int argc, char **argv)
{
#ifndef Q_OS_WIN
    // On Windows the tests use the system's own windows and clipboard.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QTemporaryDir home;
    if (!home.isValid())
        return 3;
    qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("run")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
#ifdef Q_OS_WIN
    // Profile files with a relative name live in %APPDATA%, here a folder
    // whose name the ANSI code page cannot spell, as a user's may be.
    _wputenv_s(L"APPDATA", QDir::toNativeSeparators(home.filePath(QStringLiteral("config José Ωμέγα"))).toStdWString().c_str());
#endif

    TApplication application(argc, argv);
#ifdef Q_OS_WIN
    // The clipboard is the system's too: what an earlier test program left
    // there (a broken icon, say) would meet the next main window's viewer.
    ClipboardContent::Clear();
#endif
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
