#pragma once

#include <cstdint>

// Hands the beep to the handler a test put in its place (SetBeepHandler);
// false when there is none and the beep is the system's to play.
bool BeepTakenByHandler(uint32_t kind);
