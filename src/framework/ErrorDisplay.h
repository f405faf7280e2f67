#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

// The application title, derived from the program file's name: the part after
// the last path separator, cut at its first '.', every character after the
// first in lower case.
QString TitleFromFileName(const QString &path);
QString ApplicationTitle();

// Appends a full stop when the text's last character sorts after '.', so a
// text ending in '.' or a line break gets none.
QByteArray WithFullStop(const QByteArray &text);

// Shows the exception being handled (call only inside a catch block) in the
// error display: a modal box with the error icon and the application title
// as caption. The silent kind (EAbort) is not shown.
void ShowCurrentException() noexcept;

// Runs an event handler so that no exception reaches Qt's event dispatch:
// whatever escapes it is shown in the error display and the program carries
// on with the next event.
template <class F>
void Guard(F &&handler) noexcept
{
    try {
        std::forward<F>(handler)();
    } catch (...) {
        ShowCurrentException();
    }
}
