#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Files below the user's configuration folder that more than one process may
// change at once (the registry hives, profile files).

// $XDG_CONFIG_HOME when it is an absolute path, otherwise ~/.config.
QString ConfigDirectory();

// Reads the whole file. Returns 0 or the errno value; a missing file gives
// ENOENT. Writers replace files by renaming, so a reader always sees one
// complete version without taking the lock.
int ReadWholeFile(const QString &path, QByteArray *contents);

// What an update does with the contents it was given.
struct TFileUpdate {
    std::optional<QByteArray> Replacement; // nothing: leave the file as it is
    int Error = 0;                         // non-zero: fail with this errno value
};

// Read-modify-write under an exclusive lock (flock) of the file's lock file
// (LockFilePath): `update` receives the current contents (empty for a file
// that did not exist) while no other process can change the file. A
// replacement is written to a temporary file of this writer's own beside it
// (NAME.new-XXXXXX), flushed to disk and renamed over the original, so that
// the file holds either the old or the new contents at any instant, whatever
// happens to the process; temporary files of writers that died are removed.
// Missing folders are created (mode 0700). `update` may itself move the file
// away (the lock stays held). Waits at most `LockTimeoutMs` for the lock.
// Returns 0 or an errno value.
int UpdateFileLocked(const QString &path, const std::function<TFileUpdate(const QByteArray &contents)> &update);

inline constexpr int LockTimeoutMs = 10000;

// The file beside `path` whose lock guards every change of it (NAME.lock);
// it is created on the first change and never renamed or removed.
QString LockFilePath(const QString &path);
