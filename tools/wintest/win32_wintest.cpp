// Drives the windows of other programs for the end-to-end tests under Wine.
// Results go to stdout as "key value" lines in UTF-8; exit code 0 on success, 1 otherwise
// (2: `launch` could not start its program).
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollInterval = std::chrono::milliseconds(5);

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

void Print(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Fail(std::string_view why) {
    std::fwrite(why.data(), 1, why.size(), stderr);
    std::fputc('\n', stderr);
}

std::string Hex(unsigned long long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx", value);
    return buffer;
}

std::string HwndText(HWND window) {
    return Hex(static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
}

// Decimal, or hex with 0x; a leading minus for negative decimal lParams.
std::optional<long long> ParseNumber(std::wstring_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const std::wstring copy(text);
    wchar_t* end = nullptr;
    long long value = 0;
    if (copy.size() > 2 && copy[0] == L'0' && (copy[1] == L'x' || copy[1] == L'X')) {
        value = static_cast<long long>(std::wcstoull(copy.c_str() + 2, &end, 16));
    } else {
        value = std::wcstoll(copy.c_str(), &end, 10);
    }
    if (end == nullptr || *end != L'\0') {
        return std::nullopt;
    }
    return value;
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

std::wstring TitleOf(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

struct WindowSearch {
    const std::wstring* className;
    const std::wstring* title;
    std::vector<HWND> found;
};

// Named callbacks: on i686 they must be stdcall, which a lambda is not.
BOOL CALLBACK CollectMatching(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    if (ClassOf(window) == *search->className && TitleOf(window) == *search->title) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindows(const std::wstring& className, const std::wstring& title) {
    WindowSearch search{&className, &title, {}};
    EnumWindows(CollectMatching, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindTopLevel(const std::wstring& className, const std::wstring& title) {
    const auto found = TopLevelWindows(className, title);
    return found.empty() ? nullptr : found.front();
}

// Polls until found() yields true or the timeout passes; returns whether it did.
template <typename Predicate> bool PollUntil(Predicate found, long long timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (found()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Cross-process WM_GETTEXT; Wine marshals the text for us.
std::optional<std::wstring> ControlText(HWND control) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        return std::nullopt;
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(),
                             reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                             &copied)) {
        return std::nullopt;
    }
    text.resize(copied);
    return text;
}

// Unix time in milliseconds: Wine reads the same clock as Python's time.time(), so traces taken
// here line up with what the tests on the Linux side record.
double UnixMilliseconds() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr unsigned long long kEpochOffset = 116444736000000000ULL; // 1601 to 1970, 100 ns
    return static_cast<double>(ticks - kEpochOffset) / 10000.0;
}

std::string Stamp() {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", UnixMilliseconds());
    return buffer;
}

int Cursor() {
    POINT point{};
    if (!GetCursorPos(&point)) {
        Fail("GetCursorPos failed: " + std::to_string(GetLastError()));
        return 1;
    }
    Print("x " + std::to_string(point.x));
    Print("y " + std::to_string(point.y));
    return 0;
}

// Every change of the pointer's position, with its time, for durationMs or until stopFile
// exists; printed at the end so that printing does not slow the sampling.
int CursorTrace(long long durationMs, const std::wstring& stopFile) {
    struct Sample {
        double ms;
        POINT point;
    };
    std::vector<Sample> samples;
    samples.reserve(65536);
    const auto deadline = Clock::now() + std::chrono::milliseconds(durationMs);
    POINT last{-1, -1};
    Print("start " + Stamp());
    for (unsigned polls = 0; Clock::now() < deadline; ++polls) {
        if (!stopFile.empty() && polls % 50 == 0 &&
            GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
            break;
        }
        POINT point{};
        if (GetCursorPos(&point) && (point.x != last.x || point.y != last.y)) {
            samples.push_back({UnixMilliseconds(), point});
            last = point;
        }
        Sleep(1);
    }
    for (const auto& sample : samples) {
        char line[64];
        std::snprintf(line, sizeof line, "%.3f %ld %ld", sample.ms, sample.point.x, sample.point.y);
        Print(line);
    }
    return 0;
}

std::string HexBytes(const unsigned char* bytes, DWORD count) {
    std::string out;
    for (DWORD i = 0; i < count; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        out += pair;
    }
    return out.empty() ? "-" : out;
}

// Opens and sets up a port the way the driver does.
HANDLE OpenPortLikeTheDriver(const std::wstring& path, bool report) {
    HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        if (report) {
            Print("open_error " + std::to_string(GetLastError()));
        }
        return port;
    }
    COMMTIMEOUTS timeouts{3, 0, 0, 0, 0};
    const BOOL timeoutsSet = SetCommTimeouts(port, &timeouts);
    const BOOL queuesSet = SetupComm(port, 2048, 1024);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const BOOL stateRead = GetCommState(port, &dcb);
    dcb.BaudRate = 57600;
    dcb.fParity = FALSE;
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    const BOOL maskSet = SetCommMask(port, EV_RXCHAR | EV_ERR);
    const BOOL stateSet = SetCommState(port, &dcb);
    const DWORD stateError = stateSet ? 0 : GetLastError();
    DCB check{};
    check.DCBlength = sizeof check;
    GetCommState(port, &check);
    if (report) {
        Print("opened " + Stamp());
        Print("timeouts " + std::to_string(timeoutsSet) + " queues " + std::to_string(queuesSet) +
              " getstate " + std::to_string(stateRead) + " mask " + std::to_string(maskSet) +
              " setstate " + std::to_string(stateSet) + " " + std::to_string(stateError));
        Print("baud " + std::to_string(check.BaudRate) + " bits " + std::to_string(check.ByteSize) +
              " stop " + std::to_string(check.StopBits));
    }
    return port;
}

// A stand-in for the driver's serial side: reads 8-byte blocks, writes the start command after
// each second of silence, and on a failed read reopens the port, so that the rig can be checked
// without the driver.
// Plays the calibration program's end of a pipe: opens it as a client, retrying until the
// server instance exists, and prints what arrives ("read HEX") until the time is up or the
// pipe breaks ("broken").
int PipeClient(const std::wstring& name, long long durationMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(durationMs);
    HANDLE pipe = INVALID_HANDLE_VALUE;
    while (pipe == INVALID_HANDLE_VALUE && GetTickCount64() < end) {
        pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) {
            Sleep(20);
        }
    }
    if (pipe == INVALID_HANDLE_VALUE) {
        Fail("timeout: the pipe never opened");
        return 1;
    }
    Print("connected");
    while (GetTickCount64() < end) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            Print("broken");
            break;
        }
        if (available == 0) {
            Sleep(5);
            continue;
        }
        unsigned char buffer[256];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr)) {
            Print("broken");
            break;
        }
        std::string hex;
        for (DWORD i = 0; i < got; ++i) {
            char byte[3];
            std::snprintf(byte, sizeof byte, "%02x", buffer[i]);
            hex += byte;
        }
        Print("read " + hex);
    }
    CloseHandle(pipe);
    return 0;
}

int SerialProbe(const std::wstring& path, long long durationMs) {
    static const unsigned char kStart[8] = {0xCE, 0, 0, 0, 0, 0, 0, 0};
    const auto deadline = Clock::now() + std::chrono::milliseconds(durationMs);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE writeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE port = OpenPortLikeTheDriver(path, true);
    if (port == INVALID_HANDLE_VALUE) {
        return 1;
    }
    unsigned char buffer[8] = {};
    OVERLAPPED read{};
    bool pending = false;
    // Under Wine a hung-up pty fails the pending read at completion (109), not at ReadFile.
    auto reopen = [&](DWORD error) {
        Print("read_error " + Stamp() + " " + std::to_string(error));
        pending = false;
        CancelIo(port);
        CloseHandle(port);
        port = INVALID_HANDLE_VALUE;
        while (port == INVALID_HANDLE_VALUE && Clock::now() < deadline) {
            Sleep(100);
            port = OpenPortLikeTheDriver(path, false);
        }
        if (port != INVALID_HANDLE_VALUE) {
            Print("reopened " + Stamp());
        }
        return port != INVALID_HANDLE_VALUE;
    };
    while (Clock::now() < deadline) {
        if (!pending) {
            DWORD errors = 0;
            ClearCommError(port, &errors, nullptr);
            read = OVERLAPPED{};
            read.hEvent = event;
            DWORD count = 0;
            if (ReadFile(port, buffer, 8, &count, &read)) {
                Print("read " + Stamp() + " " + HexBytes(buffer, count));
                continue;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) {
                if (!reopen(error)) {
                    break;
                }
                continue;
            }
            pending = true;
        }
        if (WaitForSingleObject(event, 1000) == WAIT_TIMEOUT) {
            OVERLAPPED write{};
            write.hEvent = writeEvent;
            DWORD written = 0;
            if (!WriteFile(port, kStart, 8, &written, &write) &&
                GetLastError() == ERROR_IO_PENDING) {
                GetOverlappedResult(port, &write, &written, TRUE);
            }
            Print("wrote " + Stamp() + " " + std::to_string(written));
            Sleep(30);
        }
        DWORD count = 0;
        if (GetOverlappedResult(port, &read, &count, FALSE)) {
            pending = false;
            Print("read " + Stamp() + " " + HexBytes(buffer, count));
        } else if (const DWORD error = GetLastError(); error != ERROR_IO_INCOMPLETE) {
            if (!reopen(error)) {
                break;
            }
        }
    }
    if (port != INVALID_HANDLE_VALUE) {
        CancelIo(port);
        CloseHandle(port);
    }
    Print("end " + Stamp());
    return 0;
}

// A left-button drag in absolute mouse input, the way the driver injects a stroke.
int Drag(long long x1, long long y1, long long x2, long long y2, long long steps) {
    const long long width = GetSystemMetrics(SM_CXSCREEN);
    const long long height = GetSystemMetrics(SM_CYSCREEN);
    auto send = [&](DWORD flags, long long x, long long y) {
        mouse_event(flags, static_cast<DWORD>(x * 65535 / width),
                    static_cast<DWORD>(y * 65535 / height), 0, 0);
        Sleep(5);
    };
    send(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, x1, y1);
    for (long long i = 1; i <= steps; ++i) {
        send(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, x1 + (x2 - x1) * i / steps,
             y1 + (y2 - y1) * i / steps);
    }
    send(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, x2, y2);
    return 0;
}

std::string RectText(const RECT& rect) {
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
           std::to_string(rect.right) + " " + std::to_string(rect.bottom);
}

BOOL CALLBACK AppendMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto* out = reinterpret_cast<std::vector<std::string>*>(context);
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) {
        out->push_back("? GetMonitorInfoW failed " + std::to_string(GetLastError()));
        return TRUE;
    }
    out->push_back(ToUtf8(info.szDevice) + " " + RectText(info.rcMonitor) + " work " +
                   RectText(info.rcWork) +
                   ((info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? " primary" : ""));
    return TRUE;
}

std::vector<std::string> MonitorLines() {
    std::vector<std::string> lines;
    EnumDisplayMonitors(nullptr, nullptr, AppendMonitor, reinterpret_cast<LPARAM>(&lines));
    return lines;
}

std::string DisplayDeviceText(const DISPLAY_DEVICEW& device) {
    return ToUtf8(device.DeviceName) + " flags " + Hex(device.StateFlags) + " id " +
           ToUtf8(device.DeviceID) + " key " + ToUtf8(device.DeviceKey) + " string " +
           ToUtf8(device.DeviceString);
}

// The monitors as a program sees them: "virtual", one "monitor" line each from
// EnumDisplayMonitors, then each "adapter" with its monitors' "device" lines, plain and
// with EDD_GET_DEVICE_INTERFACE_NAME ("interface").
int Monitors() {
    Print("virtual " + std::to_string(GetSystemMetrics(SM_XVIRTUALSCREEN)) + " " +
          std::to_string(GetSystemMetrics(SM_YVIRTUALSCREEN)) + " " +
          std::to_string(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + " " +
          std::to_string(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    Print("screen " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " " +
          std::to_string(GetSystemMetrics(SM_CYSCREEN)));
    for (const auto& line : MonitorLines()) {
        Print("monitor " + line);
    }
    for (DWORD index = 0;; ++index) {
        DISPLAY_DEVICEW adapter{};
        adapter.cb = sizeof adapter;
        if (!EnumDisplayDevicesW(nullptr, index, &adapter, 0)) {
            break;
        }
        Print("adapter " + DisplayDeviceText(adapter));
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        if (EnumDisplaySettingsExW(adapter.DeviceName, ENUM_CURRENT_SETTINGS, &mode, 0)) {
            Print("mode " + ToUtf8(adapter.DeviceName) + " " + std::to_string(mode.dmPosition.x) +
                  " " + std::to_string(mode.dmPosition.y) + " " + std::to_string(mode.dmPelsWidth) +
                  " " + std::to_string(mode.dmPelsHeight));
        }
        for (DWORD child = 0;; ++child) {
            DISPLAY_DEVICEW plain{};
            plain.cb = sizeof plain;
            DISPLAY_DEVICEW named{};
            named.cb = sizeof named;
            if (!EnumDisplayDevicesW(adapter.DeviceName, child, &plain, 0)) {
                break;
            }
            Print("device " + DisplayDeviceText(plain));
            if (EnumDisplayDevicesW(adapter.DeviceName, child, &named,
                                    EDD_GET_DEVICE_INTERFACE_NAME)) {
                Print("interface " + DisplayDeviceText(named));
            }
        }
    }
    return 0;
}

std::string MessageName(UINT message) {
    switch (message) {
    case WM_DISPLAYCHANGE:
        return "WM_DISPLAYCHANGE";
    case WM_SETTINGCHANGE:
        return "WM_SETTINGCHANGE";
    case WM_DEVICECHANGE:
        return "WM_DEVICECHANGE";
    case WM_DPICHANGED:
        return "WM_DPICHANGED";
    default:
        return {};
    }
}

LRESULT CALLBACK WatchProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::string name = MessageName(message);
    if (!name.empty()) {
        const auto* who = reinterpret_cast<const char*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        std::string line = "event " + Stamp() + " " + (who ? who : "?") + " " + name + " " +
                           Hex(wParam) + " " + Hex(static_cast<unsigned long long>(lParam));
        if (message == WM_SETTINGCHANGE && lParam != 0) {
            line += " " + ToUtf8(reinterpret_cast<const wchar_t*>(lParam));
        }
        Print(line);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// For durationMs: the display messages that a hidden, a visible and a message-only window
// receive ("event" lines), and each change of EnumDisplayMonitors ("monitors" lines).
int DisplayWatch(long long durationMs) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WatchProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"WintestDisplayWatch";
    RegisterClassW(&windowClass);
    static const char* const kNames[] = {"hidden", "visible", "message-only"};
    HWND windows[3] = {};
    for (int i = 0; i < 3; ++i) {
        windows[i] = CreateWindowExW(0, windowClass.lpszClassName, L"watch", WS_OVERLAPPEDWINDOW,
                                     100, 100, 200, 100, i == 2 ? HWND_MESSAGE : nullptr, nullptr,
                                     windowClass.hInstance, nullptr);
        SetWindowLongPtrW(windows[i], GWLP_USERDATA, reinterpret_cast<LONG_PTR>(kNames[i]));
    }
    ShowWindow(windows[1], SW_SHOWNOACTIVATE);
    std::string last;
    Print("start " + Stamp());
    const auto deadline = Clock::now() + std::chrono::milliseconds(durationMs);
    while (Clock::now() < deadline) {
        std::string now;
        for (const auto& line : MonitorLines()) {
            now += (now.empty() ? "" : " | ") + line;
        }
        if (now != last) {
            Print("monitors " + Stamp() + " " + now);
            last = now;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    Print("end " + Stamp());
    return 0;
}

// One absolute move to the normalised dx, dy: over the virtual desktop ("desk") or the
// primary monitor ("primary"), through SendInput or mouse_event; then where Windows puts it.
int SendAbsolute(long long dx, long long dy, const std::wstring& area, const std::wstring& api) {
    DWORD flags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (area == L"desk") {
        flags |= MOUSEEVENTF_VIRTUALDESK;
    }
    if (api == L"mouse_event") {
        mouse_event(flags, static_cast<DWORD>(dx), static_cast<DWORD>(dy), 0, 0);
    } else {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = static_cast<LONG>(dx);
        input.mi.dy = static_cast<LONG>(dy);
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
    }
    Sleep(50);
    return Cursor();
}

// Changes one monitor's mode the Windows way, which broadcasts the change to every program.
int DisplayMode(const std::wstring& device, long long width, long long height) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG result =
        ChangeDisplaySettingsExW(device.c_str(), &mode, nullptr, CDS_UPDATEREGISTRY, nullptr);
    Print("result " + std::to_string(result));
    return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}

int SetCursor(long long x, long long y) {
    if (!SetCursorPos(static_cast<int>(x), static_cast<int>(y))) {
        Fail("SetCursorPos failed: " + std::to_string(GetLastError()));
        return 1;
    }
    Sleep(50);
    return Cursor();
}

using Args = std::vector<std::wstring>;

int Find(const Args& a) {
    const auto found = TopLevelWindows(a[0], a[1]);
    for (HWND window : found) {
        Print("hwnd " + HwndText(window));
    }
    return found.empty() ? 1 : 0;
}

BOOL CALLBACK PrintListLine(HWND window, LPARAM) {
    Print(HwndText(window) + " " + (IsWindowVisible(window) ? "1" : "0") + " " +
          ToUtf8(ClassOf(window)) + " " + ToUtf8(TitleOf(window)));
    return TRUE;
}

// Every top-level window, for a failure report.
int List() {
    EnumWindows(PrintListLine, 0);
    return 0;
}

int WaitWindow(const Args& a, long long timeoutMs) {
    const auto start = Clock::now();
    HWND window = nullptr;
    if (!PollUntil([&] { return (window = FindTopLevel(a[0], a[1])) != nullptr; }, timeoutMs)) {
        Fail("timeout");
        return 1;
    }
    Print("hwnd " + HwndText(window));
    Print("after_ms " + std::to_string(MillisecondsSince(start)));
    return 0;
}

int WaitGone(const Args& a, long long timeoutMs) {
    const auto start = Clock::now();
    if (!PollUntil([&] { return FindTopLevel(a[0], a[1]) == nullptr; }, timeoutMs)) {
        Fail("still there");
        return 1;
    }
    Print("after_ms " + std::to_string(MillisecondsSince(start)));
    return 0;
}

// One process watches both moments, so a process start does not sit between them. A dialog
// is created invisible and shown later, so hidden means invisible for a settling time.
int WaitHidden(const Args& a, long long timeoutMs) {
    constexpr long long kSettleMs = 500;
    const auto start = Clock::now();
    HWND window = nullptr;
    if (!PollUntil([&] { return (window = FindTopLevel(a[0], a[1])) != nullptr; }, timeoutMs)) {
        Fail("timeout: no window");
        return 1;
    }
    const long long seenMs = MillisecondsSince(start);
    long long firstVisibleMs = -1;
    long long hiddenMs = seenMs;
    const bool settled = PollUntil(
        [&] {
            const long long now = MillisecondsSince(start);
            if (IsWindowVisible(window)) {
                firstVisibleMs = firstVisibleMs < 0 ? now : firstVisibleMs;
                hiddenMs = -1;
            } else if (hiddenMs < 0) {
                hiddenMs = now;
            }
            return hiddenMs >= 0 && now - hiddenMs >= kSettleMs;
        },
        timeoutMs + kSettleMs - seenMs);
    Print("seen_ms " + std::to_string(seenMs));
    Print("first_visible_ms " + std::to_string(firstVisibleMs));
    Print("hidden_ms " + std::to_string(hiddenMs));
    if (!settled) {
        Fail("timeout: still visible or shown again");
        return 1;
    }
    return 0;
}

int Post(HWND window, UINT message, const std::wstring& wParam, const std::wstring& lParam) {
    const auto w = ParseNumber(wParam);
    const auto l = ParseNumber(lParam);
    if (!w || !l) {
        Fail("bad number");
        return 1;
    }
    if (!PostMessageW(window, message, static_cast<WPARAM>(*w), static_cast<LPARAM>(*l))) {
        Fail("PostMessageW failed: " + std::to_string(GetLastError()));
        return 1;
    }
    Print("posted " + Hex(message));
    return 0;
}

int Styles(HWND window) {
    Print("style " + Hex(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE))));
    Print("exstyle " + Hex(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE))));
    Print(std::string("visible ") + (IsWindowVisible(window) ? "1" : "0"));
    RECT rect{};
    GetWindowRect(window, &rect);
    Print("rect " + RectText(rect));
    return 0;
}

int Text(HWND window, const std::wstring& id) {
    const auto number = ParseNumber(id);
    HWND control = number ? GetDlgItem(window, static_cast<int>(*number)) : nullptr;
    if (control == nullptr) {
        Fail("no such control");
        return 1;
    }
    const auto text = ControlText(control);
    if (!text) {
        Fail("WM_GETTEXT failed");
        return 1;
    }
    Print(ToUtf8(*text));
    return 0;
}

// One line per text: line breaks and backslashes written as C escapes.
std::string EscapedLine(std::wstring_view text) {
    std::wstring out;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            out += L"\\\\";
        } else if (c == L'\r') {
            out += L"\\r";
        } else if (c == L'\n') {
            out += L"\\n";
        } else {
            out += c;
        }
    }
    return ToUtf8(out);
}

BOOL CALLBACK PrintChildLine(HWND child, LPARAM) {
    const auto text = ControlText(child);
    if (text && !text->empty()) {
        Print("child " + std::to_string(GetDlgCtrlID(child)) + " " +
              (IsWindowVisible(child) ? "1" : "0") + " " + EscapedLine(*text));
    }
    return TRUE;
}

// The window's title and the texts of all its descendants, as a person reads a page.
int Texts(HWND window) {
    Print("title " + EscapedLine(TitleOf(window)));
    EnumChildWindows(window, PrintChildLine, 0);
    return 0;
}

// Reads the box's text and answers with button (IDOK unless given: IDYES is 6, IDNO 7).
int MsgBox(const std::wstring& caption, long long timeoutMs, int button = IDOK) {
    HWND box = nullptr;
    if (!PollUntil([&] { return (box = FindTopLevel(L"#32770", caption)) != nullptr; },
                   timeoutMs)) {
        Fail("timeout: no message box");
        return 1;
    }
    // The static is created with the box, but give a just-created box a moment for its text.
    std::optional<std::wstring> text;
    PollUntil(
        [&] {
            HWND label = GetDlgItem(box, 0xFFFF);
            text = label ? ControlText(label) : std::nullopt;
            return text && !text->empty();
        },
        1000);
    Print(ToUtf8(text.value_or(L"")));
    HWND ok = GetDlgItem(box, button);
    DWORD_PTR ignored = 0;
    if (ok == nullptr ||
        !SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) {
        Fail("could not click the button");
        return 1;
    }
    return 0;
}

int ShowMsgBox(const std::wstring& caption, const std::wstring& text) {
    return MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION) == IDOK
               ? 0
               : 1;
}

// Companion window: logs what other programs post or send to it.
HANDLE companionLog = INVALID_HANDLE_VALUE;
constexpr UINT_PTR kDeadlineTimer = 1;

void LogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    std::string line =
        Hex(message) + " " + Hex(wParam) + " " + Hex(static_cast<unsigned long long>(lParam));
    if (message >= 0xC000) {
        // Registered messages share the atom table with clipboard formats.
        wchar_t name[256] = {};
        if (GetClipboardFormatNameW(message, name, 256) > 0) {
            line += ' ';
            line += ToUtf8(name);
        }
    }
    line += "\n";
    DWORD written = 0;
    WriteFile(companionLog, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

LRESULT CALLBACK CompanionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message >= WM_USER && message <= 0x7FFF) || (message >= 0xC000 && message <= 0xFFFF)) {
        LogMessage(message, wParam, lParam);
        return 0;
    }
    switch (message) {
    case WM_TIMER:
        if (wParam == kDeadlineTimer) {
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int Companion(const Args& a, long long seconds) {
    companionLog = CreateFileW(a[2].c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (companionLog == INVALID_HANDLE_VALUE) {
        Fail("CreateFileW failed: " + std::to_string(GetLastError()));
        return 1;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = CompanionProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = a[0].c_str();
    if (!RegisterClassExW(&windowClass)) {
        Fail("RegisterClassExW failed: " + std::to_string(GetLastError()));
        return 1;
    }
    HWND window = CreateWindowExW(0, a[0].c_str(), a[1].c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                  100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        Fail("CreateWindowExW failed: " + std::to_string(GetLastError()));
        return 1;
    }
    SetTimer(window, kDeadlineTimer, static_cast<UINT>(seconds * 1000), nullptr);
    Print("hwnd " + HwndText(window));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(companionLog);
    return 0;
}

// A control of a dialog in another process, by its identifier ("-1" too).
HWND DialogItem(HWND dialog, const std::wstring& id) {
    const auto number = ParseNumber(id);
    HWND control = number ? GetDlgItem(dialog, static_cast<int>(*number)) : nullptr;
    if (control == nullptr) {
        Fail("no such control");
    }
    return control;
}

int ItemSend(HWND dialog, const Args& a) {
    HWND control = DialogItem(dialog, a[2]);
    const auto message = ParseNumber(a[3]);
    const auto w = ParseNumber(a[4]);
    const auto l = ParseNumber(a[5]);
    if (control == nullptr || !message || !w || !l) {
        Fail(control == nullptr ? "" : "bad number");
        return 1;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, static_cast<UINT>(*message), static_cast<WPARAM>(*w),
                             static_cast<LPARAM>(*l), SMTO_ABORTIFHUNG, 5000, &result)) {
        Fail("SendMessageTimeoutW failed: " + std::to_string(GetLastError()));
        return 1;
    }
    Print("result " + std::to_string(static_cast<long long>(static_cast<LRESULT>(result))));
    return 0;
}

// A combo box (plain or extended) as a user sees it: its items, the selection, whether it
// takes input. WM_GETTEXT on an extended one gives junk across processes; CB_GETLBTEXT works.
int Combo(HWND dialog, const std::wstring& id) {
    HWND control = DialogItem(dialog, id);
    if (control == nullptr) {
        return 1;
    }
    const auto count = SendMessageW(control, CB_GETCOUNT, 0, 0);
    Print("count " + std::to_string(count));
    Print("selection " + std::to_string(SendMessageW(control, CB_GETCURSEL, 0, 0)));
    Print(std::string("enabled ") + (IsWindowEnabled(control) ? "1" : "0"));
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = SendMessageW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::wcslen(text.c_str()));
        Print("item " + ToUtf8(text));
    }
    return 0;
}

struct ThreadWindows {
    RECT bounds{};
    bool any = false;
};

BOOL CALLBACK AddVisibleWindow(HWND window, LPARAM context) {
    auto* area = reinterpret_cast<ThreadWindows*>(context);
    RECT rect{};
    if (IsWindowVisible(window) && GetWindowRect(window, &rect)) {
        if (area->any) {
            UnionRect(&area->bounds, &area->bounds, &rect);
        } else {
            area->bounds = rect;
            area->any = true;
        }
    }
    return TRUE;
}

// Saves, as a 24-bit BMP, the screen under every visible top-level window of the thread that
// owns window (a dropped-down list is one of them), with a margin.
int Screenshot(HWND window, const std::wstring& file) {
    ThreadWindows area;
    EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), AddVisibleWindow,
                      reinterpret_cast<LPARAM>(&area));
    if (!area.any) {
        Fail("no visible window");
        return 1;
    }
    constexpr int kMargin = 12;
    const int left = std::max(0L, area.bounds.left - kMargin);
    const int top = std::max(0L, area.bounds.top - kMargin);
    const int width =
        std::min<int>(GetSystemMetrics(SM_CXSCREEN), area.bounds.right + kMargin) - left;
    const int height =
        std::min<int>(GetSystemMetrics(SM_CYSCREEN), area.bounds.bottom + kMargin) - top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as BMP files store rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY) != FALSE;
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + size;
    bool written = false;
    if (FILE* out = _wfopen(file.c_str(), L"wb")) {
        written = std::fwrite(&header, sizeof header, 1, out) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                  std::fwrite(bits, 1, size, out) == size;
        written = std::fclose(out) == 0 && written;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied || !written) {
        Fail("screenshot failed");
        return 1;
    }
    Print("size " + std::to_string(width) + " " + std::to_string(height));
    return 0;
}

// The handle count from the system's process list: Wine's GetProcessHandleCount
// answers 0 for every process, its process list counts them.
std::optional<unsigned long> HandleCountOf(DWORD pid) {
    using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return std::nullopt;
    }
    constexpr int kSystemProcessInformation = 5;
    std::vector<std::uint8_t> buffer(1 << 20);
    ULONG needed = 0;
    if (query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
              &needed) != 0) {
        return std::nullopt;
    }
    for (std::size_t at = 0;;) {
        const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&buffer[at]);
        if (reinterpret_cast<std::uintptr_t>(process->UniqueProcessId) == pid) {
            return process->HandleCount;
        }
        if (process->NextEntryOffset == 0) {
            return std::nullopt;
        }
        at += process->NextEntryOffset;
    }
}

// What a long run watches for leaks: the threads, handles and memory of
// every running process of that executable name.
int ProcessStats(const std::wstring& exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        Fail("CreateToolhelp32Snapshot failed: " + std::to_string(GetLastError()));
        return 1;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName.c_str()) != 0) {
            continue;
        }
        ++found;
        std::string line = "process " + std::to_string(entry.th32ProcessID) + " threads " +
                           std::to_string(entry.cntThreads);
        if (const auto handles = HandleCountOf(entry.th32ProcessID)) {
            line += " handles " + std::to_string(*handles);
        }
        HANDLE process =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        if (process != nullptr) {
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof memory;
            if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
                line += " workingset " + std::to_string(memory.WorkingSetSize) + " pagefile " +
                        std::to_string(memory.PagefileUsage);
            }
            CloseHandle(process);
        }
        Print(line);
    }
    CloseHandle(snapshot);
    if (found == 0) {
        Fail("no such process");
        return 1;
    }
    return 0;
}

// Runs a command line exactly as given (NSIS reads /D= only unquoted and last, which no
// argument quoting keeps) and prints its exit code. A start that fails says why.
int Launch(std::wstring commandLine, long long timeoutMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        Fail("cannot start: error " + std::to_string(GetLastError()));
        return 2;
    }
    CloseHandle(process.hThread);
    DWORD code = 0;
    const bool ended =
        WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
    if (ended) {
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hProcess);
    if (!ended) {
        Fail("still running");
        return 1;
    }
    Print("exit " + std::to_string(code));
    return 0;
}

// Renames a window, so that only what does not look for it by its title can reach it.
int Retitle(HWND window, const std::wstring& title) {
    return SetWindowTextW(window, title.c_str()) != FALSE ? 0 : 1;
}

// Holds a mutex under the name for a while: a program that wants another kind of object
// by that name cannot have it.
int HoldMutex(const std::wstring& name, long long durationMs) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        Fail("CreateMutexW failed");
        return 1;
    }
    Print("held");
    Sleep(static_cast<DWORD>(durationMs));
    CloseHandle(mutex);
    return 0;
}

// What a process may do with a named event: "wait" and "signal", each "1" or the error
// code; with "restricted", as its user with the Administrators group taken out of the token.
int EventAccess(const std::wstring& name, bool restricted) {
    HANDLE token = nullptr;
    if (restricted) {
        HANDLE own = nullptr;
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID admins = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own) == FALSE ||
            AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                     0, 0, 0, 0, 0, 0, &admins) == FALSE) {
            Fail("no token");
            return 1;
        }
        SID_AND_ATTRIBUTES disabled{admins, 0};
        const BOOL made =
            CreateRestrictedToken(own, 0, 1, &disabled, 0, nullptr, 0, nullptr, &token);
        FreeSid(admins);
        CloseHandle(own);
        if (made == FALSE || ImpersonateLoggedOnUser(token) == FALSE) {
            Fail("CreateRestrictedToken or ImpersonateLoggedOnUser failed");
            return 1;
        }
    }
    for (const auto& [word, access] :
         {std::pair<const char*, DWORD>{"wait", SYNCHRONIZE},
          std::pair<const char*, DWORD>{"signal", EVENT_MODIFY_STATE}}) {
        HANDLE event = OpenEventW(access, FALSE, name.c_str());
        Print(std::string(word) + " " +
              (event != nullptr ? std::string("1") : std::to_string(GetLastError())));
        if (event != nullptr) {
            CloseHandle(event);
        }
    }
    if (token != nullptr) {
        RevertToSelf();
        CloseHandle(token);
    }
    return 0;
}

// The notification area as Wine's shell32 reaches it: Shell_NotifyIconW sends WM_COPYDATA
// (dwData the NIM_ code) to the first top-level "Shell_TrayWnd" in z-order, in a layout of
// Wine's own, followed by the icon's bitmaps. Wine 8 puts the bitmap's size after the texts;
// later versions put it before them and add the balloon icon's.
struct WineNotifyIconBitmap {
    UINT width;
    UINT height;
    UINT planes;
    UINT bpp;
};
struct WineNotifyTexts {
    WCHAR tip[128];
    DWORD state;
    DWORD stateMask;
    WCHAR info[256];
    UINT timeoutOrVersion;
    WCHAR infoTitle[64];
    DWORD infoFlags;
    GUID guidItem;
};
struct WineNotifyHead {
    LONG owner;
    UINT id;
    UINT flags;
    UINT callbackMessage;
};
struct WineNotify8 {
    WineNotifyHead head;
    WineNotifyTexts texts;
    WineNotifyIconBitmap icon;
};
struct WineNotifyLater {
    WineNotifyHead head;
    WineNotifyIconBitmap icon;
    WineNotifyTexts texts;
    WineNotifyIconBitmap balloonIcon;
};

struct NotifyView {
    const WineNotifyHead* head = nullptr;
    const WineNotifyTexts* texts = nullptr;
    const WineNotifyIconBitmap* icon = nullptr;
    const unsigned char* bits = nullptr;
};

unsigned long long BitmapBytes(const WineNotifyIconBitmap& icon) {
    const unsigned long long mask = (1ULL * icon.width * icon.height + 15) / 16 * 2;
    const unsigned long long colour =
        (1ULL * icon.planes * icon.width * icon.height * icon.bpp + 15) / 16 * 2;
    return mask + colour;
}

std::optional<NotifyView> ViewOf(const COPYDATASTRUCT& data) {
    const auto* bytes = static_cast<const unsigned char*>(data.lpData);
    if (data.cbData >= sizeof(WineNotify8)) {
        const auto* notify = reinterpret_cast<const WineNotify8*>(bytes);
        const unsigned long long icon =
            (notify->head.flags & NIF_ICON) != 0 ? BitmapBytes(notify->icon) : 0;
        if (data.cbData == sizeof(WineNotify8) + icon) {
            return NotifyView{&notify->head, &notify->texts, &notify->icon,
                              bytes + sizeof(WineNotify8)};
        }
    }
    if (data.cbData >= sizeof(WineNotifyLater)) {
        const auto* notify = reinterpret_cast<const WineNotifyLater*>(bytes);
        return NotifyView{&notify->head, &notify->texts, &notify->icon,
                          bytes + sizeof(WineNotifyLater)};
    }
    return std::nullopt;
}

struct TrayWatch {
    Clock::time_point start;
    std::vector<std::pair<LONG, UINT>> icons; // what a shell would hold
};
TrayWatch* trayWatch = nullptr;

std::wstring Bounded(const WCHAR* text, std::size_t size) {
    return std::wstring(text, wcsnlen(text, size));
}

// A fingerprint of the picture, so that a test can tell the pictures apart.
std::string PictureOf(const COPYDATASTRUCT& data, const NotifyView& view) {
    if ((view.head->flags & NIF_ICON) == 0) {
        return "-";
    }
    const unsigned long long size = BitmapBytes(*view.icon);
    const auto* end = static_cast<const unsigned char*>(data.lpData) + data.cbData;
    if (size > static_cast<unsigned long long>(end - view.bits)) {
        return "short";
    }
    unsigned long long hash = 1469598103934665603ULL;
    for (unsigned long long i = 0; i < size; ++i) {
        hash = (hash ^ view.bits[i]) * 1099511628211ULL;
    }
    return Hex(hash);
}

LRESULT TrayNotify(HWND from, const COPYDATASTRUCT& data) {
    const std::optional<NotifyView> view = ViewOf(data);
    if (!view) {
        Print("notify\t" + std::to_string(MillisecondsSince(trayWatch->start)) + "\tunreadable\t0");
        return FALSE;
    }
    const WineNotifyHead& head = *view->head;
    const WineNotifyTexts& texts = *view->texts;
    const std::pair key{head.owner, head.id};
    auto held = std::find(trayWatch->icons.begin(), trayWatch->icons.end(), key);
    const char* operation = "other";
    BOOL accepted = held != trayWatch->icons.end();
    switch (data.dwData) {
    case NIM_ADD:
        operation = "add";
        accepted = !accepted;
        if (accepted) {
            trayWatch->icons.push_back(key);
        }
        break;
    case NIM_MODIFY:
        operation = "modify";
        break;
    case NIM_DELETE:
        operation = "delete";
        if (accepted) {
            trayWatch->icons.erase(held);
        }
        break;
    case NIM_SETVERSION:
        operation = "version";
        break;
    default:
        accepted = FALSE;
        break;
    }
    const bool tip = (head.flags & NIF_TIP) != 0;
    const bool info = (head.flags & NIF_INFO) != 0;
    Print("notify\t" + std::to_string(MillisecondsSince(trayWatch->start)) + "\t" + operation +
          "\t" + (accepted ? "1" : "0") + "\t" + HwndText(from) + "\t" + Hex(head.callbackMessage) +
          "\t" + PictureOf(data, *view) + "\t" + (tip ? ToUtf8(Bounded(texts.tip, 128)) : "-") +
          "\t" + (info ? ToUtf8(Bounded(texts.infoTitle, 64)) : "-") + "\t" +
          (info ? ToUtf8(Bounded(texts.info, 256)) : "-"));
    return accepted;
}

LRESULT CALLBACK TrayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA && trayWatch != nullptr) {
        return TrayNotify(reinterpret_cast<HWND>(wParam),
                          *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Stands in for the shell's notification area for durationMs: a "notify" line, tab-separated,
// per call of Shell_NotifyIconW (ms since start, operation, whether a shell would accept it,
// owner, callback message, picture, tooltip, balloon title, balloon text).
int TrayWatchFor(long long durationMs) {
    TrayWatch watch{Clock::now(), {}};
    trayWatch = &watch;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TrayProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&windowClass);
    // Topmost, so that it comes before the shell's own in z-order.
    HWND window =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP,
                        0, 0, 1, 1, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr || FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr) != window) {
        Fail("not the first Shell_TrayWnd");
        return 1;
    }
    Print("ready " + HwndText(window));
    const auto deadline = watch.start + std::chrono::milliseconds(durationMs);
    while (Clock::now() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    DestroyWindow(window);
    trayWatch = nullptr;
    return 0;
}

BOOL CALLBACK CollectVisibleMenu(HWND window, LPARAM context) {
    if (IsWindowVisible(window) && ClassOf(window) == L"#32768") {
        *reinterpret_cast<HWND*>(context) = window;
        return FALSE;
    }
    return TRUE;
}

// Chooses the item'th command of the popup menu that opens within timeoutMs, by the keys a
// user presses: the menu loop reads them from its thread's queue.
int MenuChoose(long long item, long long timeoutMs) {
    HWND menu = nullptr;
    if (!PollUntil(
            [&] {
                menu = nullptr;
                EnumWindows(CollectVisibleMenu, reinterpret_cast<LPARAM>(&menu));
                return menu != nullptr;
            },
            timeoutMs)) {
        Fail("timeout: no menu");
        return 1;
    }
    // The menu takes keys once its loop runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (long long i = 0; i <= item; ++i) {
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
    Print("menu " + HwndText(menu));
    return 0;
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<OwnedSearch*>(context);
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Cancels the first visible window owned by owner within timeoutMs, as its Cancel button does.
int OwnedCancel(HWND owner, long long timeoutMs) {
    OwnedSearch search{owner, nullptr};
    if (!PollUntil(
            [&] {
                EnumWindows(CollectOwned, reinterpret_cast<LPARAM>(&search));
                return search.found != nullptr;
            },
            timeoutMs)) {
        Fail("timeout: no owned window");
        return 1;
    }
    Print("class " + ToUtf8(ClassOf(search.found)));
    Print("title " + ToUtf8(TitleOf(search.found)));
    PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

int Usage() {
    Fail("usage: wintest "
         "list|find|wait-window|wait-gone|wait-hidden|post|post-registered|styles|text|"
         "texts|msgbox|show-msgbox|companion|cursor|cursor-trace|serial-probe|pipe-client|"
         "drag|item-send|combo|process|launch|monitors|display-watch|display-mode|send-abs|"
         "set-cursor|screenshot|retitle|hold-mutex|event-access|tray-watch|menu-choose|"
         "owned-cancel|broadcast-registered ...");
    return 1;
}

int Run(const Args& args) {
    if (args.empty()) {
        return Usage();
    }
    const std::wstring& command = args[0];
    const Args a(args.begin() + 1, args.end());
    auto number = [&](std::size_t index) {
        return ParseNumber(a[index]).value_or(-1);
    };
    auto window = [&]() -> HWND {
        HWND found = FindTopLevel(a[0], a[1]);
        if (found == nullptr) {
            Fail("no such window");
        }
        return found;
    };

    if (command == L"tray-watch" && a.size() == 1 && number(0) > 0) {
        return TrayWatchFor(number(0));
    }
    if (command == L"menu-choose" && a.size() == 2 && number(0) >= 0 && number(1) >= 0) {
        return MenuChoose(number(0), number(1));
    }
    if (command == L"owned-cancel" && a.size() == 3 && number(2) >= 0) {
        HWND owner = window();
        return owner ? OwnedCancel(owner, number(2)) : 1;
    }
    if (command == L"broadcast-registered" && a.size() == 3) {
        const UINT message = RegisterWindowMessageW(a[0].c_str());
        return message ? Post(HWND_BROADCAST, message, a[1], a[2]) : 1;
    }
    if (command == L"retitle" && a.size() == 3) {
        HWND found = window();
        return found != nullptr ? Retitle(found, a[2]) : 1;
    }
    if (command == L"hold-mutex" && a.size() == 2 && number(1) > 0) {
        return HoldMutex(a[0], number(1));
    }
    if (command == L"event-access" && a.size() == 2 &&
        (a[1] == L"restricted" || a[1] == L"normal")) {
        return EventAccess(a[0], a[1] == L"restricted");
    }
    if (command == L"list" && a.empty()) {
        return List();
    }
    if (command == L"find" && a.size() == 2) {
        return Find(a);
    }
    if (command == L"wait-window" && a.size() == 3 && number(2) >= 0) {
        return WaitWindow(a, number(2));
    }
    if (command == L"wait-gone" && a.size() == 3 && number(2) >= 0) {
        return WaitGone(a, number(2));
    }
    if (command == L"wait-hidden" && a.size() == 3 && number(2) >= 0) {
        return WaitHidden(a, number(2));
    }
    if (command == L"post" && a.size() == 5) {
        const auto message = ParseNumber(a[2]);
        HWND target = message ? window() : nullptr;
        return target ? Post(target, static_cast<UINT>(*message), a[3], a[4]) : 1;
    }
    if (command == L"post-registered" && a.size() == 5) {
        const UINT message = RegisterWindowMessageW(a[2].c_str());
        HWND target = message ? window() : nullptr;
        return target ? Post(target, message, a[3], a[4]) : 1;
    }
    if (command == L"item-send" && a.size() == 6) {
        HWND target = window();
        return target ? ItemSend(target, a) : 1;
    }
    if (command == L"combo" && a.size() == 3) {
        HWND target = window();
        return target ? Combo(target, a[2]) : 1;
    }
    if (command == L"screenshot" && a.size() == 3) {
        HWND target = window();
        return target ? Screenshot(target, a[2]) : 1;
    }
    if (command == L"styles" && a.size() == 2) {
        HWND target = window();
        return target ? Styles(target) : 1;
    }
    if (command == L"text" && a.size() == 3) {
        HWND target = window();
        return target ? Text(target, a[2]) : 1;
    }
    if (command == L"texts" && a.size() == 2) {
        HWND target = window();
        return target ? Texts(target) : 1;
    }
    if (command == L"msgbox" && a.size() == 3 && number(1) >= 0 && number(2) > 0) {
        return MsgBox(a[0], number(1), static_cast<int>(number(2)));
    }
    if (command == L"msgbox" && a.size() == 2 && number(1) >= 0) {
        return MsgBox(a[0], number(1));
    }
    if (command == L"show-msgbox" && a.size() == 2) {
        return ShowMsgBox(a[0], a[1]);
    }
    if (command == L"companion" && a.size() == 4 && number(3) > 0) {
        return Companion(a, number(3));
    }
    if (command == L"drag" && a.size() == 5 && number(4) > 0) {
        return Drag(number(0), number(1), number(2), number(3), number(4));
    }
    if (command == L"cursor" && a.empty()) {
        return Cursor();
    }
    if (command == L"cursor-trace" && (a.size() == 1 || a.size() == 2) && number(0) > 0) {
        return CursorTrace(number(0), a.size() == 2 ? a[1] : std::wstring());
    }
    if (command == L"pipe-client" && a.size() == 2 && number(1) > 0) {
        return PipeClient(a[0], number(1));
    }
    if (command == L"process" && a.size() == 1) {
        return ProcessStats(a[0]);
    }
    if (command == L"launch" && a.size() == 2 && number(1) > 0) {
        return Launch(a[0], number(1));
    }
    if (command == L"serial-probe" && a.size() == 2 && number(1) > 0) {
        return SerialProbe(a[0], number(1));
    }
    if (command == L"monitors" && a.empty()) {
        return Monitors();
    }
    if (command == L"display-watch" && a.size() == 1 && number(0) > 0) {
        return DisplayWatch(number(0));
    }
    if (command == L"send-abs" && a.size() == 4 && number(0) >= 0 && number(1) >= 0) {
        return SendAbsolute(number(0), number(1), a[2], a[3]);
    }
    if (command == L"display-mode" && a.size() == 3 && number(1) > 0 && number(2) > 0) {
        return DisplayMode(a[0], number(1), number(2));
    }
    if (command == L"set-cursor" && a.size() == 2) {
        return SetCursor(ParseNumber(a[0]).value_or(0), ParseNumber(a[1]).value_or(0));
    }
    return Usage();
}

} // namespace

int main() {
    // Binary stdout: no CR before LF, the tests compare bytes.
    _setmode(_fileno(stdout), _O_BINARY);
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) {
        return 1;
    }
    const Args args(argv + 1, argv + count);
    LocalFree(argv);
    return Run(args);
}
