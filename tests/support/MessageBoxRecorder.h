#pragma once

#include "framework/MessageBox.h"

#include <QByteArray>
#include <QList>

// Answers every message box at once while it exists and records it.
class MessageBoxRecorder {
public:
    struct Box {
        QByteArray Text;
        QByteArray Caption;
        TMsgIcon Icon;
    };

    MessageBoxRecorder()
        : FPrevious(SetMessageBoxHandler([this](const QByteArray &text, const QByteArray &caption, TMsgIcon icon) {
              Boxes.append({text, caption, icon});
          }))
    {
    }
    ~MessageBoxRecorder() { SetMessageBoxHandler(FPrevious); }
    MessageBoxRecorder(const MessageBoxRecorder &) = delete;
    MessageBoxRecorder &operator=(const MessageBoxRecorder &) = delete;

    QList<Box> Boxes;

private:
    TMessageBoxHandler FPrevious;
};
