// Stands in for the driver's side of calibration, for the calibration program's end-to-end
// test: the driver's window, the board's frames from a serial port, the orientation pipe (the
// driver's own class) while the program asks for raw frames, the driver's own calibration load
// on the program's "done" and afterwards the driver's pen state machine moving the real pointer.
//
//   orientation_standin.exe PORT SETTINGS_INI LOG SECONDS
//
// LOG gets one line per event: "ready", "start LPARAM", "pipe 1|0", "done WPARAM LPARAM",
// "reloaded COLUMNS ROWS".
#include <windows.h>

#include "driver/ipc/channel_slot.h"
#include "driver/ipc/orientation_pipe.h"
#include "driver/pen/pen_frame.h"
#include "driver/pointer/calibration_store.h"
#include "driver/pointer/load_calibration.h"
#include "driver/pointer/mouse_injection.h"
#include "driver/pointer/pen_state_machine.h"
#include "platform/sim/sim_trace.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_ipc.h"
#include "platform/win32/win32_mouse.h"
#include "platform/win32/win32_profile.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr UINT kOrientationStart = 0x443;
constexpr UINT kOrientationDone = 0x444;
constexpr const char* kPipeName = "\\\\.\\Pipe\\DravikPRO";

class Log {
public:
    explicit Log(const char* path) : m_file(std::fopen(path, "ab")) {}
    ~Log() {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    void Line(const std::string& text) {
        std::lock_guard lock(m_mutex);
        if (m_file != nullptr) {
            std::fprintf(m_file, "%s\n", text.c_str());
            std::fflush(m_file);
        }
    }

private:
    std::mutex m_mutex;
    std::FILE* m_file;
};

HANDLE OpenPort(const char* path) {
    const HANDLE port = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return port;
    }
    // A read ends 3 ms after a byte without another: at the pause between frames.
    COMMTIMEOUTS timeouts{3, 0, 200, 0, 0};
    SetCommTimeouts(port, &timeouts);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = 57600;
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    dcb.fParity = FALSE;
    SetCommState(port, &dcb);
    return port;
}

struct StandIn {
    platform::SimTrace trace;
    platform::Win32IpcPort ipc{trace};
    platform::Win32Clock clock;
    platform::Win32Mouse mouse;
    platform::Win32Profile profile;
    driver::CalibrationStore calibration;
    driver::MouseInjector injector{mouse, calibration};
    driver::PenStateMachine pen{calibration, injector, clock};
    driver::ChannelSlot pipe;
    // The instance that waits for the program, so that the end can cancel the wait.
    std::mutex waitingMutex;
    std::shared_ptr<driver::OrientationPipe> waiting;
    std::atomic<bool> orientation{false};
    std::atomic<bool> running{true};
};

// What the driver's reader does with a first-pen sample: raw to the pipe while the program
// calibrates, through the pen state machine otherwise.
void Dispatch(StandIn& standIn, const driver::PenFrame& frame) {
    if (standIn.orientation) {
        if (frame[2] == driver::pen_status::kTouch || frame[2] == driver::pen_status::kLift) {
            standIn.pipe.Write(frame);
        }
        return;
    }
    if (frame[0] != driver::frame_header::kFirstPen ||
        (frame[2] != driver::pen_status::kTouch && frame[2] != driver::pen_status::kLift)) {
        return;
    }
    const driver::BoardPoint point = driver::DecodeBoardPoint(frame);
    standIn.pen.OnPenPoint(point.x, point.y, frame[2] == driver::pen_status::kTouch ? 1 : 0);
}

void ReadBoard(StandIn& standIn, HANDLE port) {
    std::uint8_t held[16];
    DWORD count = 0;
    while (standIn.running) {
        DWORD got = 0;
        if (!ReadFile(port, held + count, sizeof held - count, &got, nullptr)) {
            Sleep(10);
            continue;
        }
        count += got;
        while (count >= 8) {
            driver::PenFrame frame;
            std::memcpy(frame.data(), held, 8);
            const DWORD used = driver::FrameChecksumOk(frame) ? 8 : 1;
            if (used == 8) {
                Dispatch(standIn, frame);
            }
            std::memmove(held, held + used, count - used);
            count -= used;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: orientation_standin PORT SETTINGS_INI LOG SECONDS\n");
        return 2;
    }
    const std::string settings = argv[2];
    Log log(argv[3]);
    const DWORD seconds = static_cast<DWORD>(std::atoi(argv[4]));
    StandIn standIn;
    driver::LoadCalibration(standIn.calibration, standIn.profile, standIn.mouse, settings);

    const HANDLE port = OpenPort(argv[1]);
    if (port == INVALID_HANDLE_VALUE) {
        log.Line("no port " + std::to_string(GetLastError()));
        return 1;
    }
    const HWND window = CreateWindowExW(0, L"#32770", L"QelELECDUALPRO", WS_POPUP, 0, 0, 0, 0,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    std::thread reader(ReadBoard, std::ref(standIn), port);
    std::thread waiter;
    SetTimer(window, 1, seconds * 1000, nullptr);
    log.Line("ready");

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == window && message.message == WM_TIMER) {
            break;
        }
        if (message.hwnd == window && message.message == kOrientationStart) {
            log.Line("start " + std::to_string(message.lParam));
            standIn.orientation = true;
            if (waiter.joinable()) {
                waiter.join();
            }
            // The wait for the program's client runs off the window's thread, as the driver's does.
            auto pipe = std::make_shared<driver::OrientationPipe>(standIn.ipc);
            {
                std::lock_guard lock(standIn.waitingMutex);
                standIn.waiting = pipe;
            }
            waiter = std::thread([&standIn, &log, pipe] {
                const bool opened = pipe->Open(2, kPipeName);
                log.Line(std::string("pipe ") + (opened ? "1" : "0"));
                if (opened) {
                    standIn.pipe.Publish(pipe);
                }
            });
            continue;
        }
        if (message.hwnd == window && message.message == kOrientationDone) {
            log.Line("done " + std::to_string(message.wParam) + " " +
                     std::to_string(message.lParam));
            if (message.wParam == 0 && message.lParam == 0) {
                driver::LoadCalibration(standIn.calibration, standIn.profile, standIn.mouse,
                                        settings);
                const driver::Calibration loaded = standIn.calibration.Snapshot();
                log.Line("reloaded " + std::to_string(loaded.grid.ColumnCount) + " " +
                         std::to_string(loaded.grid.RowCount));
            }
            standIn.orientation = false;
            continue;
        }
        DispatchMessageW(&message);
    }
    standIn.running = false;
    reader.join();
    {
        std::lock_guard lock(standIn.waitingMutex);
        if (standIn.waiting) {
            standIn.waiting->CancelOpen();
        }
    }
    if (waiter.joinable()) {
        waiter.join();
    }
    CloseHandle(port);
    return 0;
}
