#include "support/FolderVariable.h"

#include <QDir>

#ifdef Q_OS_WIN
#include <stdlib.h>
#endif

void SetFolderVariable(const char *name, const QString &folder)
{
#ifdef Q_OS_WIN
    _wputenv_s(QString::fromLatin1(name).toStdWString().c_str(), QDir::toNativeSeparators(folder).toStdWString().c_str());
#else
    qputenv(name, folder.toLocal8Bit());
#endif
}
