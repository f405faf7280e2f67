#pragma once

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <thread>

namespace ClipboardApi {

// How long a question waits for the clipboard's owner to answer.
constexpr int X11TargetsTimeoutMs = 30000;

// Asks the owner of the X11 clipboard which targets it offers, on an X
// connection and in a thread of their own, so that an owner that does not
// answer holds up nothing but the question. Qt's own clipboard would wait
// for the answer on the GUI thread.
//
// The answer arrives on the object's thread: the targets as Qt's clipboard
// names them (MIME types, "text/plain" for the string targets), in the
// owner's order; an empty list when the clipboard has no owner, the owner
// refuses or does not answer within X11TargetsTimeoutMs; nothing (nullopt)
// when no X connection of its own could be opened, so that Qt's clipboard
// has to be asked instead.
class TX11ClipboardTargets : public QObject {
public:
    using TAnswer = std::function<void(const std::optional<QStringList> &mimeTypes)>;

    TX11ClipboardTargets(QObject *parent, TAnswer answer);
    // Drops the open question.
    ~TX11ClipboardTargets() override;

    // Asks again; the answer to an earlier question is dropped.
    void Ask();

private:
    void DropQuestion();

    TAnswer FAnswer;
    std::thread FThread;
    int FCancel = -1; // written to end the open question's wait
    uint64_t FQuestion = 0;
};

} // namespace ClipboardApi
