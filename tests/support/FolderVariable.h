#pragma once

#include <QString>

// Sets an environment variable that names a folder, whatever characters the
// folder's name holds: on Windows through the wide environment, since a
// user's folder may have a name that the ANSI code page cannot spell.
void SetFolderVariable(const char *name, const QString &folder);
