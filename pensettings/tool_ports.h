#pragma once

#include "platform/clock_port.h"
#include "platform/files_port.h"
#include "platform/locale_port.h"
#include "platform/profile_port.h"
#include "platform/security_port.h"
#include "platform/trace_port.h"
#include "platform/window_port.h"

namespace pensettings {

// What the settings tool uses of the system, built once at its entry.
struct ToolPorts {
    platform::WindowSystem& windows;
    platform::ClockPort& clock;
    platform::ProfilePort& profile;
    platform::FilesPort& files;
    platform::SecurityPort& security;
    platform::LocalePort& locale;
    platform::TracePort& trace;
};

} // namespace pensettings
