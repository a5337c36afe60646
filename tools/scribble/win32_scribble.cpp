// A full-screen white sheet that draws a black line wherever the left mouse button is held, so
// that the driver's injected input leaves a visible trace. Saves the sheet as a 24-bit BMP on
// message WM_APP + 1 and when it is closed.
//
//   scribble.exe OUT.bmp [seconds]
//
// Beside OUT.bmp it writes OUT.bmp.txt with the counts of strokes, moves and clicks it saw.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"DravikScribble";
constexpr wchar_t kTitle[] = L"Scribble";
constexpr UINT kSaveMessage = WM_APP + 1;
constexpr UINT_PTR kDeadlineTimer = 1;
constexpr int kLineWidth = 3;

struct Sheet {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;
    HPEN pen = nullptr;
    bool drawing = false;
    POINT last{};
    long strokes = 0;
    long moves = 0;
    long clicks = 0;
    std::wstring outPath;
};

Sheet sheet;

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
    sheet.pen = CreatePen(PS_SOLID, kLineWidth, RGB(0, 0, 0));
    SelectObject(sheet.dc, sheet.pen);
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
    char counts[128];
    const int length =
        std::snprintf(counts, sizeof counts, "strokes %ld\r\nmoves %ld\r\nclicks %ld\r\n",
                      sheet.strokes, sheet.moves, sheet.clicks);
    WriteFileAtomically(sheet.outPath + L".txt", counts, static_cast<DWORD>(length), "", 0);

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
    return WriteFileAtomically(sheet.outPath, bytes, sizeof bytes, sheet.bits, imageSize);
}

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

void DrawTo(HWND window, POINT to) {
    MoveToEx(sheet.dc, sheet.last.x, sheet.last.y, nullptr);
    LineTo(sheet.dc, to.x, to.y);
    RECT dirty{std::min(sheet.last.x, to.x) - kLineWidth, std::min(sheet.last.y, to.y) - kLineWidth,
               std::max(sheet.last.x, to.x) + kLineWidth + 1,
               std::max(sheet.last.y, to.y) + kLineWidth + 1};
    InvalidateRect(window, &dirty, FALSE);
    sheet.last = to;
}

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        SetCapture(window);
        sheet.drawing = true;
        ++sheet.strokes;
        sheet.last = PointOf(lParam);
        // A dot, so that a click without movement leaves a mark too.
        DrawTo(window, POINT{sheet.last.x + 1, sheet.last.y});
        return 0;
    case WM_MOUSEMOVE:
        if (sheet.drawing && (wParam & MK_LBUTTON)) {
            ++sheet.moves;
            DrawTo(window, PointOf(lParam));
        }
        return 0;
    case WM_LBUTTONUP:
        if (sheet.drawing) {
            DrawTo(window, PointOf(lParam));
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
    case kSaveMessage:
        return SaveSheet() ? 1 : 0;
    case WM_TIMER:
        if (wParam == kDeadlineTimer) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_CLOSE:
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

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr || count < 2) {
        return 2;
    }
    sheet.outPath = argv[1];
    const long seconds = count > 2 ? std::wcstol(argv[2], nullptr, 10) : 600;
    LocalFree(argv);

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (!CreateSheet(width, height)) {
        return 1;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = SheetProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515)); // IDC_CROSS
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) {
        return 1;
    }
    HWND window = CreateWindowExW(WS_EX_TOPMOST, kClassName, kTitle, WS_POPUP | WS_VISIBLE, 0, 0,
                                  width, height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    SetForegroundWindow(window);
    SetTimer(window, kDeadlineTimer, static_cast<UINT>(seconds * 1000), nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    SelectObject(sheet.dc, sheet.oldBitmap);
    DeleteObject(sheet.bitmap);
    DeleteObject(sheet.pen);
    DeleteDC(sheet.dc);
    return 0;
}
