// The three services through which the program reaches the computer.
#pragma once

#include "platform/device_services.h"
#include "platform/system_services.h"
#include "platform/window_services.h"

struct Platform {
    SystemServices& system;
    DeviceServices& devices;
    WindowServices& windows;
};
