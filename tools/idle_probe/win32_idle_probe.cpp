// What each part of the driver's search for a missing board costs: runs one
// part COUNT times through the driver's own code and the real ports, and
// prints the wall time and the process's CPU time per call. "timer PERIOD
// SECONDS" is a window program whose only work is one timer, to price a
// wake-up. The wineserver's share is measured from outside.
#include "driver/link/hid_device.h"
#include "driver/link/serial_link.h"
#include "driver/pointer/board_monitor.h"
#include "driver/pointer/calibration_store.h"
#include "driver/pointer/load_calibration.h"
#include "driver/state/board_ids.h"
#include "driver/state/driver_state.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

namespace {

double CpuSeconds() {
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](FILETIME time) {
        return static_cast<double>(
                   ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

double WallSeconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int TimerOnly(UINT periodMs, DWORD seconds) {
    const HWND window = CreateWindowExW(0, L"STATIC", L"idle probe", 0, 0, 0, 0, 0, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    SetTimer(window, 1, periodMs, nullptr);
    const ULONGLONG end = GetTickCount64() + seconds * 1000ULL;
    MSG message;
    while (GetTickCount64() < end && GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

int Usage() {
    std::fputs("usage: idle_probe hid|hidopen|serialfind|serialopen|calibration|stamp|display|"
               "endevent COUNT [SETTINGS.INI] | idle_probe timer PERIOD_MS SECONDS\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    const std::string part = argv[1];
    if (part == "timer") {
        return argc < 4 ? Usage()
                        : TimerOnly(static_cast<UINT>(std::atoi(argv[2])),
                                    static_cast<DWORD>(std::atoi(argv[3])));
    }
    const int count = std::atoi(argv[2]);
    const std::string settings = argc > 3 ? argv[3] : "";

    platform::Win32Platform win32;
    platform::Platform& ports = win32.Ports();
    driver::DriverState state;
    state.isWow64 = ports.security.IsWow64() ? 1 : 0;
    state.settingsPath = settings;
    driver::CHidDevice hid(ports.hid);
    driver::SerialLink serial(state, ports.registry, ports.serial, ports.trace);
    driver::BoardScreenLocator screen(ports.display, ports.profile, ports.trace);
    driver::CalibrationStore calibration;
    ports.security.OpenEndEvent("Global\\IdleProbeEndEvent");
    screen.Locate(settings);

    const std::map<std::string, std::function<void()>> parts = {
        {"hid",
         [&] {
             hid.FindDevicePath(driver::kHidBoardIds.vendorId, driver::kHidBoardIds.productId);
         }},
        {"hidopen",
         [&] {
             hid.OpenReadHandle("");
             hid.OpenWriteHandle("");
         }},
        {"serialfind",
         [&] {
             serial.FindSerialPortName();
         }},
        {"serialopen",
         [&] {
             if (serial.FindSerialPortName() && serial.OpenSerialPort()) {
                 state.linkOpen = 0;
                 serial.ClosePort();
             }
         }},
        {"calibration",
         [&] {
             driver::LoadCalibration(calibration, ports.profile, screen.Locate(settings),
                                     ports.trace, settings);
         }},
        {"stamp",
         [&] {
             ports.files.Stamp(settings);
         }},
        {"display",
         [&] {
             screen.DesktopChanged();
         }},
        {"endevent",
         [&] {
             ports.security.EndEventSignalled();
         }},
    };
    const auto found = parts.find(part);
    if (found == parts.end() || count <= 0) {
        return Usage();
    }
    const double wall = WallSeconds();
    const double cpu = CpuSeconds();
    for (int i = 0; i < count; ++i) {
        found->second();
    }
    std::printf("%s: %d calls, %.1f us wall and %.1f us CPU per call\n", part.c_str(), count,
                (WallSeconds() - wall) * 1e6 / count, (CpuSeconds() - cpu) * 1e6 / count);
    return 0;
}
