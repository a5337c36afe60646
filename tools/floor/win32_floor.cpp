// The floor the driver's costs are measured against: a program that does
// only the work no driver can avoid. "serial PORT SECONDS" reads the port
// with the driver's settings in overlapped 8-byte reads and sends one
// absolute mouse_event per frame; "idle SECONDS" is a window program with a
// message loop and nothing to do.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kReadWaitMs = 1000;

int Usage() {
    std::fputs("usage: floor serial PORT SECONDS | floor idle SECONDS\n", stderr);
    return 2;
}

// As the board packs it: 14 bits in two 7-bit bytes, counted from the far end.
DWORD Absolute(std::uint8_t high, std::uint8_t low) {
    const DWORD value = 0x4000 - (static_cast<DWORD>(high & 0x7F) << 7 | (low & 0x7F));
    return value * 65535 / 0x4000;
}

HANDLE OpenPort(const char* path) {
    HANDLE port = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "CreateFileA failed, error %lu\n", GetLastError());
        return port;
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 3;
    SetCommTimeouts(port, &timeouts);
    SetupComm(port, 2048, 1024);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = 57600;
    dcb.fParity = FALSE;
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    SetCommState(port, &dcb);
    return port;
}

int Serial(const char* path, DWORD seconds) {
    HANDLE port = OpenPort(path);
    if (port == INVALID_HANDLE_VALUE) {
        return 1;
    }
    OVERLAPPED read{};
    read.hEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::uint8_t frame[8] = {};
    unsigned long frames = 0;
    const ULONGLONG end = GetTickCount64() + seconds * 1000ULL;
    std::puts("reading");
    std::fflush(stdout);
    while (GetTickCount64() < end) {
        DWORD got = 0;
        if (!ReadFile(port, frame, sizeof frame, &got, &read)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                break;
            }
            if (WaitForSingleObject(read.hEvent, kReadWaitMs) != WAIT_OBJECT_0) {
                CancelIo(port);
            }
            if (!GetOverlappedResult(port, &read, &got, TRUE)) {
                continue;
            }
        }
        if (got == sizeof frame) {
            mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, Absolute(frame[3], frame[4]),
                        Absolute(frame[5], frame[6]), 0, 0);
            ++frames;
        }
    }
    std::printf("frames %lu\n", frames);
    CloseHandle(read.hEvent);
    CloseHandle(port);
    return 0;
}

int Idle(DWORD seconds) {
    HWND window = CreateWindowExW(0, L"STATIC", L"floor", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        return 1;
    }
    SetTimer(nullptr, 0, seconds * 1000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) {
        DispatchMessageW(&message);
    }
    DestroyWindow(window);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "serial") {
        return Serial(argv[2], static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    }
    if (argc == 3 && std::string(argv[1]) == "idle") {
        return Idle(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    }
    return Usage();
}
