#include "platform/beep/SystemBeep.h"

#include <windows.h>

void SystemMessageBeep(uint32_t type)
{
    ::MessageBeep(type);
}
