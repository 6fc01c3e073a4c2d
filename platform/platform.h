// The services through which the program reaches the computer, each as
// narrow as its users.
#pragma once

#include "platform/device_services.h"
#include "platform/file_services.h"
#include "platform/inf_services.h"
#include "platform/process_services.h"
#include "platform/setup_channel.h"
#include "platform/system_facts.h"
#include "platform/window_services.h"

struct Platform {
    FileServices& files;
    InfServices& infs;
    SystemFacts& facts;
    ProcessServices& process;
    DeviceServices& devices;
    WindowServices& windows;
};

// A backend whose one system object answers the file, INF, fact and process
// calls alike.
template <typename System>
Platform PlatformOf(System& system, DeviceServices& devices, WindowServices& windows) {
    return Platform{system, system, system, system, devices, windows};
}

// The platform and the channel to the user: what the steps of a run work with.
struct SetupServices {
    FileServices& files;
    InfServices& infs;
    SystemFacts& facts;
    ProcessServices& process;
    DeviceServices& devices;
    WindowServices& windows;
    SetupChannel& channel;
};

// The platform's services with the dialog's own window services and channel.
inline SetupServices ServicesFor(const Platform& platform, WindowServices& windows,
                                 SetupChannel& channel) {
    return SetupServices{platform.files,   platform.infs, platform.facts, platform.process,
                         platform.devices, windows,       channel};
}
