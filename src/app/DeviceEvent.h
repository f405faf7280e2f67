#pragma once

#include <cstdint>

// The last key event the gateway reported: kind B sets mode 0, kind C mode 1.
// Process-wide, written by the datagram handler and read when a TM server
// message is composed.
struct TDeviceEvent {
    bool Mode = false;
    uint8_t a = 0;
    uint8_t b = 0;
    uint8_t c = 0;
};

extern TDeviceEvent DeviceEvent;
