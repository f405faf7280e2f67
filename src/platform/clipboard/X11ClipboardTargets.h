#pragma once

#include <QByteArrayList>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class TX11Errand;

namespace ClipboardApi {

// How long a question waits for the clipboard's owner to answer.
constexpr int X11TargetsTimeoutMs = 30000;

// Asks the owner of the X11 clipboard which targets it offers, on an X
// connection and in a thread of their own (TX11Selection, TX11Errand), so
// that an owner or a server that does not answer holds up nothing but the
// question. Qt's own clipboard would wait for the answer on the GUI thread.
//
// The answer arrives on the object's thread: the targets' names in the
// owner's order; an empty list when the clipboard has no owner, the owner
// refuses or does not answer within X11TargetsTimeoutMs; nothing (nullopt)
// when no X connection of its own could be opened, so that Qt's clipboard
// has to be asked instead.
class TX11ClipboardTargets : public QObject {
public:
    using TAnswer = std::function<void(const std::optional<QByteArrayList> &targets)>;

    TX11ClipboardTargets(QObject *parent, TAnswer answer);
    // Drops the open question, without waiting for its thread.
    ~TX11ClipboardTargets() override;

    // Asks again; the answer to an earlier question is dropped.
    void Ask();

private:
    TAnswer FAnswer;
    std::shared_ptr<TX11Errand> FQuestion;
    uint64_t FQuestionNumber = 0;
};

} // namespace ClipboardApi
