#include "framework/MessageBox.h"

#include "platform/cp1251/Ansi.h"

#include <QMessageBox>

namespace {
TMessageBoxHandler &Handler()
{
    static TMessageBoxHandler handler;
    return handler;
}

QMessageBox::Icon ToQt(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Information: return QMessageBox::Information;
    case TMsgIcon::Warning: return QMessageBox::Warning;
    case TMsgIcon::Error: return QMessageBox::Critical;
    case TMsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void ShowMessageBox(const QByteArray &text, const QByteArray &caption, TMsgIcon icon)
{
    if (const TMessageBoxHandler handler = Handler()) {
        handler(text, caption, icon);
        return;
    }
    QMessageBox box(ToQt(icon), FromAnsi(caption), FromAnsi(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
