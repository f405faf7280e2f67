#pragma once

#include <QString>

// Sets a variable that names a folder, whatever its name holds: on Windows
// through the wide environment (a user's folder may have a name that the
// ANSI code page cannot spell).
void SetFolderVariable(const char *name, const QString &folder);
