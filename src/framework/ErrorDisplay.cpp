#include "framework/ErrorDisplay.h"

#include "framework/Exception.h"
#include "framework/MessageBox.h"
#include "platform/cp1251/Ansi.h"

#include <QCoreApplication>

QString TitleFromFileName(const QString &path)
{
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString ApplicationTitle()
{
    return TitleFromFileName(QCoreApplication::applicationFilePath());
}

QByteArray WithFullStop(const QByteArray &text)
{
    if (!text.isEmpty() && static_cast<unsigned char>(text.back()) > '.')
        return text + '.';
    return text;
}

void ShowCurrentException() noexcept
{
    try {
        try {
            throw;
        } catch (const EAbort &) {
            return;
        } catch (...) {
            ShowMessageBox(WithFullStop(CurrentExceptionMessage()), ToAnsi(ApplicationTitle()), TMsgIcon::Error);
        }
    } catch (...) {
        // The display itself failed (out of memory, say): nothing more to do.
    }
}
