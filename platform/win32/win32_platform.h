#pragma once

#include "platform/platform.h"
#include "platform/trace_log.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_display.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_hid.h"
#include "platform/win32/win32_ipc.h"
#include "platform/win32/win32_locale.h"
#include "platform/win32/win32_mouse.h"
#include "platform/win32/win32_notify_icon.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_serial_port.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_threads.h"
#include "platform/win32/win32_window_system.h"

namespace platform {

// Where trace lines go when nobody set a log file: the debugger's output.
void DebugOutput(const std::string& line);

// The real ports, owned for the life of the program.
class Win32Platform {
public:
    Platform& Ports() { return m_ports; }

private:
    Win32WindowSystem m_windows;
    Win32Clock m_clock;
    Win32Profile m_profile;
    Win32Mouse m_mouse;
    Win32Display m_display;
    Win32Files m_files;
    TraceLog m_trace{m_files, m_clock, DebugOutput};
    Win32Security m_security{m_trace};
    Win32Shell m_shell;
    Win32ThreadPort m_threads;
    Win32SerialPort m_serial{m_trace};
    Win32HidPort m_hid{m_trace};
    Win32Registry m_registry{m_trace};
    Win32IpcPort m_ipc{m_trace};
    Win32NotifyIcon m_notifyIcon{m_trace};
    Win32Locale m_locale;
    Platform m_ports{m_windows,  m_clock, m_profile,    m_mouse,  m_display, m_files,
                     m_security, m_shell, m_threads,    m_serial, m_hid,     m_registry,
                     m_trace,    m_ipc,   m_notifyIcon, m_locale};
};

} // namespace platform
