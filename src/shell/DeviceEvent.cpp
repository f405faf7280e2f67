#include "shell/DeviceEvent.h"

TDeviceEvent DeviceEvent;
