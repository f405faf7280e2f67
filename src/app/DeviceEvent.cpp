#include "app/DeviceEvent.h"

TDeviceEvent DeviceEvent;
