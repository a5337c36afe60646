// Stands in for the driver's side of dual-pen mode, for the companion's end-to-end test: a
// window where the driver's would be, the dual-pen announcement to the tool window, and on
// the companion's request the real channel classes over the real pipes and sockets, through
// which it writes a stroke of second-pen screen frames.
//
//   dualpen_standin.exe FRAMES INTERVAL_MS
//
// Prints "key value" lines: request, opened, sent, trace lines; exit code 0 when it sent.
#include <windows.h>

#include "common/program_contract.h"
#include "driver/ipc/dravik_pipe.h"
#include "driver/ipc/dravik_socket.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_ipc.h"
#include "platform/win32/win32_text.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace {

class PrintingTrace final : public platform::TracePort {
public:
    void Failure(std::string_view call, std::uint32_t error, std::string_view subject) override {
        std::printf("trace %.*s %u %.*s\n", static_cast<int>(call.size()), call.data(), error,
                    static_cast<int>(subject.size()), subject.data());
        std::fflush(stdout);
    }
    void SetLogFile(const std::string&) override {}
};

void Print(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    HWND found = nullptr;
    while ((found = FindWindowW(className, nullptr)) == nullptr &&
           GetTickCount() - start < timeoutMs) {
        Sleep(20);
    }
    return found;
}

// The companion's request, or 0 when none came in time.
WPARAM WaitForRequest(HWND window, UINT driverSet, DWORD timeoutMs) {
    SetTimer(window, 1, timeoutMs, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == window && message.message == driverSet && message.lParam == 2) {
            return message.wParam;
        }
        if (message.hwnd == window && message.message == WM_TIMER) {
            return 0;
        }
        DispatchMessageW(&message);
    }
    return 0;
}

// A stroke down and to the right, lifted at its end: AA 00 status X X Y Y check.
std::array<std::uint8_t, 8> ScreenFrame(int index, int count) {
    const int x = 200 + index * 4;
    const int y = 200 + index * 2;
    std::array<std::uint8_t, 8> frame{0xAA,
                                      0x00,
                                      static_cast<std::uint8_t>(index + 1 == count ? 0x83 : 0x81),
                                      static_cast<std::uint8_t>(x >> 8),
                                      static_cast<std::uint8_t>(x),
                                      static_cast<std::uint8_t>(y >> 8),
                                      static_cast<std::uint8_t>(y),
                                      0};
    for (int i = 0; i < 7; ++i) {
        frame[7] ^= frame[static_cast<std::size_t>(i)];
    }
    return frame;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const int count = std::atoi(argv[1]);
    const DWORD interval = static_cast<DWORD>(std::atoi(argv[2]));
    PrintingTrace trace;
    platform::Win32IpcPort ipc(trace);
    platform::Win32Clock clock;
    namespace companion = contract::companion;
    using platform::Wide;
    const UINT driverSet = RegisterWindowMessageW(Wide(contract::registered::kDriverSet).c_str());
    HWND window = CreateWindowExW(0, Wide(contract::driver_window::kClass).c_str(),
                                  Wide(contract::driver_window::kTitle).c_str(), WS_POPUP, 0, 0, 10,
                                  10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND tool = WaitForWindow(Wide(companion::kToolClass).c_str(), 10000);
    if (window == nullptr || tool == nullptr) {
        Print("no window");
        return 1;
    }
    // As the driver's dual-pen button does: an instance that waits for a client of its own.
    auto early =
        ipc.CreatePipeServer(std::string(companion::kDualPenPipe), driver::kDriverPipeSettings);
    std::thread earlyWait([&] {
        if (early) {
            early->WaitForClient();
        }
    });
    PostMessageW(tool, companion::kNotice, companion::kDualPenChanged, companion::kDualPenOn);
    const WPARAM request = WaitForRequest(window, driverSet, 10000);
    Print("request " + std::to_string(request));

    driver::CDravikPipe::ClassHandle classHandle;
    std::unique_ptr<driver::CDravikIPCBase> channel;
    if (request == contract::driver_set::kSocketChannel) {
        channel = std::make_unique<driver::CDravikSocket>(ipc, clock, companion::kDualPenPort);
        Print("opened " + std::to_string(channel->Open(driver::CDravikSocket::kConnectMode,
                                                       std::string(companion::kDualPenAddress))));
    } else if (request == contract::driver_set::kPipeChannel) {
        channel = std::make_unique<driver::CDravikPipe>(ipc, clock, classHandle);
        Print("opened " + std::to_string(channel->Open(driver::CDravikPipe::kServerMode,
                                                       std::string(companion::kDualPenPipe))));
    }
    int sent = 0;
    for (; channel && sent < count; ++sent) {
        const auto frame = ScreenFrame(sent, count);
        channel->Write(frame.data(), 8);
        Sleep(interval);
    }
    Print("sent " + std::to_string(sent));
    PostMessageW(tool, companion::kNotice, companion::kDualPenChanged, companion::kDualPenOff);
    if (early) {
        early->CancelWait();
    }
    earlyWait.join();
    return channel ? 0 : 1;
}
