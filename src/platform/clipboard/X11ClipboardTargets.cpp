#include "platform/clipboard/X11ClipboardTargets.h"
#include "platform/clipboard/X11Selection.h"
#include "platform/x11/X11Errand.h"

namespace ClipboardApi {

TX11ClipboardTargets::TX11ClipboardTargets(QObject *parent, TAnswer answer)
    : QObject(parent), FAnswer(std::move(answer))
{
}

TX11ClipboardTargets::~TX11ClipboardTargets()
{
    if (FQuestion)
        FQuestion->Drop();
}

void TX11ClipboardTargets::Ask()
{
    if (FQuestion)
        FQuestion->Drop();
    const uint64_t question = ++FQuestionNumber;
    // Answers on this object's thread, if the question is still the latest.
    // The question's thread posts only while the errand is not dropped, and
    // this object drops it before it goes.
    const auto answer = [this, question](const std::optional<QByteArrayList> &targets) {
        QMetaObject::invokeMethod(
            this,
            [this, question, targets] {
                if (question == FQuestionNumber)
                    FAnswer(targets);
            },
            Qt::QueuedConnection);
    };
    FQuestion = TX11Errand::Start([answer](TX11Errand &errand) {
        TX11Selection selection(errand.Cancel(), QDeadlineTimer(X11TargetsTimeoutMs));
        if (!selection.Connected()) {
            errand.Deliver([&] { answer(std::nullopt); });
            return;
        }
        const std::optional<TX11Selection::TValue> targets = selection.Convert("TARGETS");
        if (selection.Cancelled())
            return;
        const QByteArrayList names =
            targets && targets->Format == 32 ? selection.AtomNames(targets->Data) : QByteArrayList();
        errand.Deliver([&] { answer(names); });
    });
    if (!FQuestion)
        answer(std::nullopt);
}

} // namespace ClipboardApi
