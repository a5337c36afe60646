#pragma once

#include "platform/clock_port.h"
#include "platform/display_port.h"
#include "platform/files_port.h"
#include "platform/hid_port.h"
#include "platform/ipc_port.h"
#include "platform/locale_port.h"
#include "platform/mouse_port.h"
#include "platform/notify_icon_port.h"
#include "platform/profile_port.h"
#include "platform/registry_port.h"
#include "platform/security_port.h"
#include "platform/serial_port.h"
#include "platform/shell_port.h"
#include "platform/thread_port.h"
#include "platform/trace_port.h"
#include "platform/window_port.h"

namespace platform {

// Every port a program uses, built once at its entry and passed down.
struct Platform {
    WindowSystem& windows;
    ClockPort& clock;
    ProfilePort& profile;
    MousePort& mouse;
    DisplayPort& display;
    FilesPort& files;
    SecurityPort& security;
    ShellPort& shell;
    ThreadPort& threads;
    SerialPort& serial;
    HidPort& hid;
    RegistryPort& registry;
    TracePort& trace;
    IpcPort& ipc;
    NotifyIconPort& notifyIcon;
    LocalePort& locale;
};

} // namespace platform
