// The reference companion: plays the companion whiteboard program's part for the demo and the
// tests. A full-screen white sheet (class "TfrmReSent", title "EBoard") draws the first pen
// from the injected mouse input in black and the second pen from the 8-byte screen frames it
// receives in red; a small tool window (class "TMainToolfrm") shows the messages as they
// arrive. On (0x7F2, 1000, 3) to the tool window it asks the driver for the dual-pen channel
// with "QelDriverSet" (32, 2) and listens on 127.0.0.1:6171, or with (30, 2) and opens the pipe
// as a client; on (0x7F2, 1000, 4) it lets the channel go.
//
//   companion.exe [--socket | --pipe] [--log FILE] [--save OUT.bmp] [--seconds N] [--port N]
//                 [--monitor N]    the sheet on \\.\DISPLAYN rather than the primary monitor
//
// The log has one line per event, times in Unix milliseconds (Python's time.time() * 1000):
//   T msg companion|tool MESSAGE WPARAM LPARAM [NAME]     a message posted to either window
//   T frame socket|pipe HEX STATUS X Y ok|bad             a screen frame as it was read
//   T request WPARAM LPARAM posted|no-driver              the dual-pen request to the driver
//   T listening|connected|closed|stopped|saved DETAIL     the channel's and the sheet's life
// Saves the sheet as a 24-bit BMP on message WM_APP + 1 and when closed, with OUT.bmp.txt
// beside it (first-pen strokes, moves and clicks; second-pen frames and strokes).
#include <windows.h>
#include <winsock.h>

#include <shellapi.h>

#include "common/program_contract.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

namespace companion = contract::companion;

// The contract's names are ASCII.
std::wstring Wide(std::string_view text) {
    return {text.begin(), text.end()};
}

constexpr wchar_t kToolTitle[] = L"Companion";
constexpr UINT kSaveMessage = WM_APP + 1;
constexpr UINT kFrameMessage = WM_APP + 2; // wParam: x << 16 | y; lParam: status
constexpr UINT_PTR kDeadlineTimer = 1;
constexpr int kLineWidth = 3;
constexpr int kShownLines = 12;
// A pipe client retries this long: the driver makes its instance once it has the request.
constexpr DWORD kPipeRetryMs = 5000;

struct Options {
    bool pipe = false;
    std::wstring logPath;
    std::wstring savePath;
    long seconds = 600;
    unsigned short port = companion::kDualPenPort;
    long monitor = 0; // 0: the primary
};

struct Sheet {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;
    HPEN firstPen = nullptr;
    HPEN secondPen = nullptr;
    bool drawing = false;
    POINT last{};
    bool secondDown = false;
    POINT secondLast{};
    long strokes = 0;
    long moves = 0;
    long clicks = 0;
    long secondFrames = 0;
    long secondStrokes = 0;
};

Options options;
Sheet sheet;
HWND sheetWindow = nullptr;
HWND toolWindow = nullptr;
UINT driverSetMessage = 0;

// --- the log, written from the window thread and the channel's threads ---

std::mutex logMutex;
HANDLE logFile = INVALID_HANDLE_VALUE;
std::deque<std::string> shown; // the tool window's last lines

double UnixMilliseconds() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr unsigned long long kEpochOffset = 116444736000000000ULL; // 1601 to 1970, 100 ns
    return static_cast<double>(ticks - kEpochOffset) / 10000.0;
}

void Log(const std::string& event, double at = UnixMilliseconds()) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.3f ", at);
    const std::string line = stamp + event + "\n";
    const std::lock_guard lock(logMutex);
    if (logFile != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(logFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    shown.push_back(event);
    while (shown.size() > kShownLines) {
        shown.pop_front();
    }
    if (toolWindow != nullptr) {
        InvalidateRect(toolWindow, nullptr, TRUE);
    }
}

std::string Hex(unsigned long long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx", value);
    return buffer;
}

// --- the sheet ---

int RowBytes(int width) {
    return (width * 3 + 3) & ~3;
}

bool CreateSheet(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    sheet.dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    sheet.bitmap = CreateDIBSection(sheet.dc, &info, DIB_RGB_COLORS, &sheet.bits, nullptr, 0);
    if (sheet.dc == nullptr || sheet.bitmap == nullptr) {
        return false;
    }
    sheet.oldBitmap = SelectObject(sheet.dc, sheet.bitmap);
    sheet.width = width;
    sheet.height = height;
    RECT all{0, 0, width, height};
    FillRect(sheet.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    sheet.firstPen = CreatePen(PS_SOLID, kLineWidth, RGB(0, 0, 0));
    sheet.secondPen = CreatePen(PS_SOLID, kLineWidth, RGB(220, 0, 0));
    return true;
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

// Written aside and renamed, so a reader never sees half a file.
bool WriteFileAtomically(const std::wstring& path, const void* head, DWORD headSize,
                         const void* body, DWORD bodySize) {
    const std::wstring partial = path + L".part";
    HANDLE out = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = WriteAll(out, head, headSize) && WriteAll(out, body, bodySize);
    CloseHandle(out);
    return ok && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// The counts first: a reader that sees the picture finds the counts complete.
bool SaveSheet() {
    if (options.savePath.empty()) {
        return false;
    }
    char counts[256];
    const int length = std::snprintf(
        counts, sizeof counts,
        "strokes %ld\r\nmoves %ld\r\nclicks %ld\r\nsecond_frames %ld\r\nsecond_strokes %ld\r\n",
        sheet.strokes, sheet.moves, sheet.clicks, sheet.secondFrames, sheet.secondStrokes);
    WriteFileAtomically(options.savePath + L".txt", counts, static_cast<DWORD>(length), "", 0);

    GdiFlush();
    const DWORD imageSize = static_cast<DWORD>(RowBytes(sheet.width) * sheet.height);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = sheet.width;
    info.biHeight = sheet.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageSize;
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageSize;
    unsigned char bytes[sizeof file + sizeof info];
    std::memcpy(bytes, &file, sizeof file);
    std::memcpy(bytes + sizeof file, &info, sizeof info);
    const bool saved =
        WriteFileAtomically(options.savePath, bytes, sizeof bytes, sheet.bits, imageSize);
    Log(saved ? "saved sheet" : "saved failed");
    return saved;
}

void DrawLine(HPEN pen, POINT from, POINT to) {
    SelectObject(sheet.dc, pen);
    MoveToEx(sheet.dc, from.x, from.y, nullptr);
    LineTo(sheet.dc, to.x, to.y);
    RECT dirty{std::min(from.x, to.x) - kLineWidth, std::min(from.y, to.y) - kLineWidth,
               std::max(from.x, to.x) + kLineWidth + 1, std::max(from.y, to.y) + kLineWidth + 1};
    InvalidateRect(sheetWindow, &dirty, FALSE);
}

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Touch draws on from the last point; a lift (plain or double tap) ends the stroke there.
void SecondPen(POINT point, unsigned status) {
    ++sheet.secondFrames;
    const bool touch = status == 0x81;
    if (!touch && status != 0x83 && status != 0x88) {
        return;
    }
    if (!sheet.secondDown) {
        ++sheet.secondStrokes;
        DrawLine(sheet.secondPen, point, POINT{point.x + 1, point.y}); // a dot
    } else {
        DrawLine(sheet.secondPen, sheet.secondLast, point);
    }
    sheet.secondDown = touch;
    sheet.secondLast = point;
}

// --- the dual-pen channel ---

std::mutex channelMutex;
SOCKET listening = INVALID_SOCKET;
std::vector<SOCKET> peers;
std::vector<HANDLE> pipes;
std::atomic<bool> serving{false};
HANDLE stopEvent = nullptr;              // set while the channel is being let go
std::vector<std::thread> channelThreads; // under channelMutex

void StartThread(std::thread thread) {
    const std::lock_guard lock(channelMutex);
    channelThreads.push_back(std::move(thread));
}

// One screen frame: AA, spare, status, X high, X low, Y high, Y low, XOR of bytes 0 to 6.
void Received(const unsigned char* frame, const char* transport) {
    const double at = UnixMilliseconds();
    unsigned char check = 0;
    for (int i = 0; i < 7; ++i) {
        check = static_cast<unsigned char>(check ^ frame[i]);
    }
    const unsigned x = frame[3] << 8 | frame[4];
    const unsigned y = frame[5] << 8 | frame[6];
    char hex[17];
    for (int i = 0; i < 8; ++i) {
        std::snprintf(hex + 2 * i, 3, "%02x", frame[i]);
    }
    const bool ok = check == frame[7] && frame[0] == 0xAA;
    Log(std::string("frame ") + transport + " " + hex + " " + Hex(frame[2]) + " " +
            std::to_string(x) + " " + std::to_string(y) + (ok ? " ok" : " bad"),
        at);
    if (ok) {
        PostMessageW(sheetWindow, kFrameMessage, static_cast<WPARAM>(x << 16 | y), frame[2]);
    }
}

// Reads whole frames from a byte stream until it ends.
template <typename ReadSome> void ReadFrames(ReadSome readSome, const char* transport) {
    unsigned char frame[8];
    int have = 0;
    for (;;) {
        const int count = readSome(frame + have, 8 - have);
        if (count <= 0) {
            break;
        }
        have += count;
        if (have == 8) {
            Received(frame, transport);
            have = 0;
        }
    }
    Log(std::string("closed ") + transport);
}

void ServeSocket() {
    for (;;) {
        const SOCKET peer = accept(listening, nullptr, nullptr);
        if (peer == INVALID_SOCKET) {
            return; // closed by the stop
        }
        {
            const std::lock_guard lock(channelMutex);
            if (!serving) {
                closesocket(peer);
                return;
            }
            peers.push_back(peer);
        }
        Log("connected socket");
        StartThread(std::thread([peer] {
            ReadFrames(
                [peer](unsigned char* into, int size) {
                    return recv(peer, reinterpret_cast<char*>(into), size, 0);
                },
                "socket");
        }));
    }
}

bool Listen() {
    listening = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(options.port);
    local.sin_addr.s_addr = inet_addr("127.0.0.1");
    if (listening == INVALID_SOCKET ||
        bind(listening, reinterpret_cast<sockaddr*>(&local), sizeof local) == SOCKET_ERROR ||
        listen(listening, 5) == SOCKET_ERROR) {
        Log("listening failed " + std::to_string(WSAGetLastError()));
        return false;
    }
    Log("listening 127.0.0.1:" + std::to_string(options.port));
    return true;
}

// The driver may have a second instance of the name waiting: take every one that comes up
// while retrying, and read them all.
void ServePipe() {
    const DWORD start = GetTickCount();
    int connected = 0;
    while (serving && connected < 2 && GetTickCount() - start < kPipeRetryMs) {
        // Overlapped, so that the stop can cancel a read that waits.
        HANDLE pipe = CreateFileA(std::string(companion::kDualPenPipe).c_str(),
                                  GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) {
            Sleep(20);
            continue;
        }
        ++connected;
        {
            const std::lock_guard lock(channelMutex);
            if (!serving) {
                CloseHandle(pipe);
                return;
            }
            pipes.push_back(pipe);
        }
        Log("connected pipe");
        StartThread(std::thread([pipe] {
            HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            ReadFrames(
                [pipe, event](unsigned char* into, int size) {
                    OVERLAPPED record{};
                    record.hEvent = event;
                    DWORD read = 0;
                    if (!ReadFile(pipe, into, static_cast<DWORD>(size), nullptr, &record) &&
                        GetLastError() != ERROR_IO_PENDING) {
                        return -1;
                    }
                    const HANDLE events[2] = {event, stopEvent};
                    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
                        CancelIoEx(pipe, &record);
                        GetOverlappedResult(pipe, &record, &read, TRUE);
                        return -1;
                    }
                    return GetOverlappedResult(pipe, &record, &read, TRUE) ? static_cast<int>(read)
                                                                           : -1;
                },
                "pipe");
            CloseHandle(event);
        }));
    }
    if (connected == 0) {
        Log("connected none");
    }
}

void StopChannel() {
    serving = false;
    SetEvent(stopEvent);
    {
        const std::lock_guard lock(channelMutex);
        if (listening != INVALID_SOCKET) {
            closesocket(listening);
            listening = INVALID_SOCKET;
        }
        for (SOCKET peer : peers) {
            closesocket(peer);
        }
        peers.clear();
    }
}

// The threads end once their stream does; they may start others while we wait.
bool JoinChannelThreads() {
    bool any = false;
    for (;;) {
        std::vector<std::thread> ending;
        {
            const std::lock_guard lock(channelMutex);
            ending.swap(channelThreads);
        }
        if (ending.empty()) {
            break;
        }
        any = true;
        for (std::thread& thread : ending) {
            thread.join();
        }
    }
    const std::lock_guard lock(channelMutex);
    for (HANDLE pipe : pipes) {
        CloseHandle(pipe);
    }
    pipes.clear();
    return any;
}

void StartDualPen() {
    if (serving.exchange(true)) {
        return;
    }
    ResetEvent(stopEvent);
    if (!options.pipe && !Listen()) {
        serving = false;
        return;
    }
    const WPARAM request =
        options.pipe ? contract::driver_set::kPipeChannel : contract::driver_set::kSocketChannel;
    const LPARAM argument = contract::driver_set::kChannelArgument;
    HWND driver = FindWindowW(Wide(contract::driver_window::kClass).c_str(),
                              Wide(contract::driver_window::kTitle).c_str());
    const bool posted =
        driver != nullptr && PostMessageW(driver, driverSetMessage, request, argument);
    Log("request " + std::to_string(request) + " " + std::to_string(argument) + " " +
        (posted ? "posted" : "no-driver"));
    // Joined at the stop or the end; the accept loop ends when its socket closes.
    StartThread(std::thread(options.pipe ? ServePipe : ServeSocket));
}

void StopDualPen() {
    StopChannel();
    if (JoinChannelThreads()) {
        Log("stopped");
    }
}

// --- windows ---

void LogMessage(const char* window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::string line = std::string("msg ") + window + " " + Hex(message) + " " +
                       std::to_string(wParam) + " " + std::to_string(lParam);
    if (message >= 0xC000) {
        // Registered messages share the atom table with clipboard formats.
        wchar_t name[256] = {};
        if (GetClipboardFormatNameW(message, name, 256) > 0) {
            char narrow[256] = {};
            WideCharToMultiByte(CP_UTF8, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
            line += std::string(" ") + narrow;
        }
    }
    Log(line);
}

bool IsProgramMessage(UINT message) {
    return (message >= WM_USER && message <= 0x7FFF) || (message >= 0xC000 && message <= 0xFFFF);
}

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFrameMessage) {
        SecondPen(POINT{static_cast<LONG>(wParam >> 16), static_cast<LONG>(wParam & 0xFFFF)},
                  static_cast<unsigned>(lParam));
        return 0;
    }
    if (message == kSaveMessage) {
        return SaveSheet() ? 1 : 0;
    }
    if (IsProgramMessage(message)) {
        LogMessage("companion", message, wParam, lParam);
        return 0;
    }
    switch (message) {
    case WM_LBUTTONDOWN:
        SetCapture(window);
        sheet.drawing = true;
        ++sheet.strokes;
        sheet.last = PointOf(lParam);
        DrawLine(sheet.firstPen, sheet.last, POINT{sheet.last.x + 1, sheet.last.y});
        return 0;
    case WM_MOUSEMOVE:
        if (sheet.drawing && (wParam & MK_LBUTTON)) {
            ++sheet.moves;
            DrawLine(sheet.firstPen, sheet.last, PointOf(lParam));
            sheet.last = PointOf(lParam);
        }
        return 0;
    case WM_LBUTTONUP:
        if (sheet.drawing) {
            DrawLine(sheet.firstPen, sheet.last, PointOf(lParam));
            ++sheet.clicks;
        }
        sheet.drawing = false;
        ReleaseCapture();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        BitBlt(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
               paint.rcPaint.bottom - paint.rcPaint.top, sheet.dc, paint.rcPaint.left,
               paint.rcPaint.top, SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kDeadlineTimer) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_CLOSE:
        StopDualPen();
        SaveSheet();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK ToolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsProgramMessage(message)) {
        LogMessage("tool", message, wParam, lParam);
        const bool dualPen = message == companion::kNotice && wParam == companion::kDualPenChanged;
        if (dualPen && lParam == companion::kDualPenOn) {
            StartDualPen();
        } else if (dualPen && lParam == companion::kDualPenOff) {
            StopDualPen();
        }
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        const std::lock_guard lock(logMutex);
        int y = 4;
        for (const std::string& line : shown) {
            TextOutA(dc, 6, y, line.c_str(), static_cast<int>(line.size()));
            y += 16;
        }
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool ParseOptions() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) {
        return false;
    }
    bool ok = true;
    for (int i = 1; i < count && ok; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < count;
        if (arg == L"--socket") {
            options.pipe = false;
        } else if (arg == L"--pipe") {
            options.pipe = true;
        } else if (arg == L"--log" && hasValue) {
            options.logPath = argv[++i];
        } else if (arg == L"--save" && hasValue) {
            options.savePath = argv[++i];
        } else if (arg == L"--seconds" && hasValue) {
            options.seconds = std::wcstol(argv[++i], nullptr, 10);
        } else if (arg == L"--monitor" && hasValue) {
            options.monitor = std::wcstol(argv[++i], nullptr, 10);
        } else if (arg == L"--port" && hasValue) {
            options.port = static_cast<unsigned short>(std::wcstol(argv[++i], nullptr, 10));
        } else {
            ok = false;
        }
    }
    LocalFree(argv);
    return ok && options.seconds > 0;
}

BOOL CALLBACK FindMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM found) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    const std::wstring wanted = L"\\\\.\\DISPLAY" + std::to_wstring(options.monitor);
    if (GetMonitorInfoW(monitor, &info) && wanted == info.szDevice) {
        *reinterpret_cast<RECT*>(found) = info.rcMonitor;
        return FALSE;
    }
    return TRUE;
}

// The sheet's place: the chosen monitor, else the primary.
RECT SheetArea() {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (options.monitor > 0) {
        EnumDisplayMonitors(nullptr, nullptr, FindMonitor, reinterpret_cast<LPARAM>(&area));
    }
    return area;
}

HWND MakeWindow(const wchar_t* className, const wchar_t* title, WNDPROC procedure, DWORD style,
                int x, int y, int width, int height) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515)); // IDC_CROSS
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass)) {
        return nullptr;
    }
    return CreateWindowExW(WS_EX_TOPMOST, className, title, style, x, y, width, height, nullptr,
                           nullptr, windowClass.hInstance, nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (!ParseOptions()) {
        return 2;
    }
    if (!options.logPath.empty()) {
        logFile = CreateFileW(options.logPath.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    WSADATA winsock{};
    if (WSAStartup(MAKEWORD(1, 1), &winsock) != 0) {
        return 1;
    }
    driverSetMessage = RegisterWindowMessageW(Wide(contract::registered::kDriverSet).c_str());
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const RECT area = SheetArea();
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (!CreateSheet(width, height)) {
        return 1;
    }
    sheetWindow =
        MakeWindow(Wide(companion::kMainClass).c_str(), Wide(companion::kMainTitle).c_str(),
                   SheetProc, WS_POPUP | WS_VISIBLE, area.left, area.top, width, height);
    toolWindow = MakeWindow(Wide(companion::kToolClass).c_str(), kToolTitle, ToolProc,
                            WS_POPUP | WS_BORDER | WS_VISIBLE, area.right - 460, area.top, 460,
                            kShownLines * 16 + 8);
    if (sheetWindow == nullptr || toolWindow == nullptr) {
        return 1;
    }
    SetForegroundWindow(sheetWindow);
    SetTimer(sheetWindow, kDeadlineTimer, static_cast<UINT>(options.seconds * 1000), nullptr);
    Log(std::string("started ") + (options.pipe ? "pipe" : "socket"));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    StopDualPen();
    WSACleanup();
    if (logFile != INVALID_HANDLE_VALUE) {
        CloseHandle(logFile);
    }
    return 0;
}
