#pragma once

#include <cstdint>

// User32's MessageBeep, for MessageBeepWindows.cpp: the system's function
// has the same name and parameter as the program's, so the two cannot meet
// in one source file.
void SystemMessageBeep(uint32_t type);
