#include "platform/beep/SoundTheme.h"

#include <alsa/asoundlib.h>
#include <canberra.h>

namespace {
// libasound reports every failure (no card, an unknown device, no sound
// server behind its default device) as "ALSA lib ..." lines on standard
// error through this handler; the failure itself reaches Play's caller.
void IgnoreSoundLibraryError(const char *, int, const char *, int, const char *, ...) {}
} // namespace

TSoundTheme::TSoundTheme()
{
    // libcanberra plays through libasound when no sound server answers; the
    // handler is the process's, so set before libcanberra opens a device.
    snd_lib_error_set_handler(IgnoreSoundLibraryError);
    if (ca_context_create(&FContext) != CA_SUCCESS) {
        FContext = nullptr;
        return;
    }
    ca_context_change_props(FContext, CA_PROP_APPLICATION_NAME, "V3721 board configurator", nullptr);
}

TSoundTheme::~TSoundTheme()
{
    if (FContext)
        ca_context_destroy(FContext);
}

bool TSoundTheme::Play(const char *eventId)
{
    return FContext && ca_context_play(FContext, 0, CA_PROP_EVENT_ID, eventId, nullptr) == CA_SUCCESS;
}
