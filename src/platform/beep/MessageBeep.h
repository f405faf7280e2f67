#pragma once

#include <cstdint>
#include <functional>

// The workstation's event sounds, as the program asks for them by the
// Windows message-beep code. On Linux they are played through the desktop's
// sound theme; without a sound server (or a theme) they are silent.

namespace BeepKind {
constexpr uint32_t Simple = 0xFFFFFFFF;  // the plain beep
constexpr uint32_t Asterisk = 0x40;      // MB_ICONASTERISK
} // namespace BeepKind

// Starts the sound for `kind` and returns at once: the sound plays on a
// thread of its own, so the caller (the GUI thread) never waits for the
// sound system, not even when it is slow to answer or absent. Codes other
// than those above play the simple beep.
void MessageBeep(uint32_t kind);

// Tests record beeps through this seam instead of making sounds: while a
// handler is installed, every beep goes to it. Returns the previous handler;
// an empty handler restores the sounds.
using TBeepHandler = std::function<void(uint32_t kind)>;
TBeepHandler SetBeepHandler(TBeepHandler handler);
