// The three services through which the program reaches the computer.
#pragma once

#include "platform/device_services.h"
#include "platform/setup_channel.h"
#include "platform/system_services.h"
#include "platform/window_services.h"

struct Platform {
    SystemServices& system;
    DeviceServices& devices;
    WindowServices& windows;
};

// The platform and the channel to the user: what the steps of a run work with.
struct SetupServices {
    SystemServices& system;
    DeviceServices& devices;
    WindowServices& windows;
    SetupChannel& channel;
};
