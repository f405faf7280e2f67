#include "platform/beep/MessageBeep.h"

#include "platform/beep/SystemBeep.h"

#include <utility>

namespace {
TBeepHandler &Handler()
{
    static TBeepHandler handler;
    return handler;
}
} // namespace

// The system plays the sound asynchronously: MessageBeep queues it and
// returns at once.
void MessageBeep(uint32_t kind)
{
    if (const TBeepHandler handler = Handler()) {
        handler(kind);
        return;
    }
    SystemMessageBeep(kind == BeepKind::Asterisk ? BeepKind::Asterisk : BeepKind::Simple);
}

TBeepHandler SetBeepHandler(TBeepHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
