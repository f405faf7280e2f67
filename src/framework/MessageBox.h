#pragma once

#include <QByteArray>
#include <functional>

enum class TMsgIcon { None, Information, Warning, Error };

// A modal box owned by the application, with one OK button. Texts are cp1251.
void ShowMessageBox(const QByteArray &text, const QByteArray &caption, TMsgIcon icon);

// Tests answer message boxes in advance through this seam instead of letting
// them block: while a handler is installed, every box goes to it instead of
// the screen. Returns the previous handler; an empty handler restores the
// real box.
using TMessageBoxHandler = std::function<void(const QByteArray &text, const QByteArray &caption, TMsgIcon icon)>;
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);
