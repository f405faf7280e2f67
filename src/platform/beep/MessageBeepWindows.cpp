#include "platform/beep/MessageBeep.h"

#include "platform/beep/BeepHandler.h"
#include "platform/beep/SystemBeep.h"

// The system plays the sound asynchronously: MessageBeep queues it and
// returns at once.
void MessageBeep(uint32_t kind)
{
    if (BeepTakenByHandler(kind))
        return;
    SystemMessageBeep(kind == BeepKind::Asterisk ? BeepKind::Asterisk : BeepKind::Simple);
}
