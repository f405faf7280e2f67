#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

// An empty configuration folder of its own (registry hives, profile files)
// while it exists, so that what one test's windows save is never restored
// by the next test's; the previous folder is in force again afterwards.
// Declare it before the windows it is meant for: they save their settings
// when they are destroyed.
class PrivateSettings {
public:
    PrivateSettings() : FPrevious(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", FFolder.path().toLocal8Bit());
    }
    ~PrivateSettings() { qputenv("XDG_CONFIG_HOME", FPrevious); }
    PrivateSettings(const PrivateSettings &) = delete;
    PrivateSettings &operator=(const PrivateSettings &) = delete;

    bool Valid() const { return FFolder.isValid(); }

private:
    QByteArray FPrevious;
    QTemporaryDir FFolder;
};
