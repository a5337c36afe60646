// The floor the driver's costs are measured against: a program that does
// only the work no driver can avoid. "serial PORT SECONDS" reads the port
// with the driver's settings in overlapped 8-byte reads and sends one
// absolute mouse_event per frame; "hid SECONDS" finds the board's HID
// interface and reads its 21-byte reports synchronously, one mouse_event per
// report; "idle SECONDS" is a window program with a message loop and nothing
// to do.
#include <windows.h>

#include <setupapi.h>
// hidsdi.h lacks its own extern "C" guard.
extern "C" {
#include <hidsdi.h>
}

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kReadWaitMs = 1000;

int Usage() {
    std::fputs("usage: floor serial PORT SECONDS | floor hid SECONDS | floor idle SECONDS\n",
               stderr);
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

constexpr USHORT kHidVendor = 0x1314;
constexpr USHORT kHidProduct = 0x1001;
constexpr DWORD kReportSize = 21;
constexpr DWORD kFrameOffset = 2;

// The first present HID interface with the board's IDs, as any program would find it.
std::wstring FindBoard() {
    GUID hid{};
    HidD_GetHidGuid(&hid);
    HDEVINFO set =
        SetupDiGetClassDevsW(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring found;
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof item;
    for (DWORD i = 0; found.empty() && SetupDiEnumDeviceInterfaces(set, nullptr, &hid, i, &item);
         ++i) {
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &item, nullptr, 0, &needed, nullptr);
        std::vector<std::uint64_t> buffer(needed / 8 + 1);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        if (!SetupDiGetDeviceInterfaceDetailW(set, &item, detail, needed, nullptr, nullptr)) {
            continue;
        }
        HANDLE device = CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE) {
            continue;
        }
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (HidD_GetAttributes(device, &attributes) && attributes.VendorID == kHidVendor &&
            attributes.ProductID == kHidProduct) {
            found = detail->DevicePath;
        }
        CloseHandle(device);
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

int Hid(DWORD seconds) {
    const std::wstring path = FindBoard();
    if (path.empty()) {
        std::fputs("no HID board\n", stderr);
        return 1;
    }
    HANDLE device = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "CreateFileW failed, error %lu\n", GetLastError());
        return 1;
    }
    std::atomic<unsigned long> frames{0};
    // A synchronous read waits for the next report however long: the reader
    // is left blocked when the time is up, and the process ends under it.
    std::thread([&] {
        std::uint8_t report[kReportSize];
        DWORD got = 0;
        while (ReadFile(device, report, sizeof report, &got, nullptr)) {
            if (got == sizeof report) {
                const std::uint8_t* frame = report + kFrameOffset;
                mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, Absolute(frame[3], frame[4]),
                            Absolute(frame[5], frame[6]), 0, 0);
                frames.fetch_add(1, std::memory_order_relaxed);
            }
        }
    }).detach();
    std::puts("reading");
    std::fflush(stdout);
    Sleep(seconds * 1000);
    std::printf("frames %lu\n", frames.load());
    std::fflush(stdout);
    ExitProcess(0);
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
    if (argc == 3 && std::string(argv[1]) == "hid") {
        return Hid(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    }
    if (argc == 3 && std::string(argv[1]) == "idle") {
        return Idle(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    }
    return Usage();
}
