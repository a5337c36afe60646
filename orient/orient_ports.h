#pragma once

#include "platform/clock_port.h"
#include "platform/display_port.h"
#include "platform/files_port.h"
#include "platform/ipc_port.h"
#include "platform/locale_port.h"
#include "platform/profile_port.h"
#include "platform/security_port.h"
#include "platform/thread_port.h"
#include "platform/window_port.h"

namespace orient {

// What the calibration program uses of the system, built once at its entry.
struct OrientPorts {
    platform::WindowSystem& windows;
    platform::ClockPort& clock;
    platform::ProfilePort& profile;
    platform::FilesPort& files;
    platform::SecurityPort& security;
    platform::DisplayPort& display;
    platform::ThreadPort& threads;
    platform::IpcPort& ipc;
    platform::LocalePort& locale;
};

} // namespace orient
