#include "platform/beep/BeepHandler.h"
#include "platform/beep/MessageBeep.h"

#include <utility>

namespace {
TBeepHandler &Handler()
{
    static TBeepHandler handler;
    return handler;
}
} // namespace

bool BeepTakenByHandler(uint32_t kind)
{
    if (const TBeepHandler handler = Handler()) {
        handler(kind);
        return true;
    }
    return false;
}

TBeepHandler SetBeepHandler(TBeepHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
