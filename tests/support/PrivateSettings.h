#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// An empty configuration folder of its own (registry hives, profile files)
// while it exists, so that what one test's windows save is never restored
// by the next test's; the previous folder is in force again afterwards. On
// Windows the registry is the system's, shared by every test: the
// program's settings key is removed as it starts and as it ends, and the
// profile files go to an application data folder of its own.
// Declare it before the windows it is meant for: they save their settings
// when they are destroyed.
class PrivateSettings {
public:
    PrivateSettings();
    ~PrivateSettings();
    PrivateSettings(const PrivateSettings &) = delete;
    PrivateSettings &operator=(const PrivateSettings &) = delete;

    bool Valid() const { return FFolder.isValid(); }

private:
    QByteArray FPrevious;
    QTemporaryDir FFolder;
};
