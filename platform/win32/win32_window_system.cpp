// First: it brings windows.h without the A/W macros that would rename the
// port's methods.
#include "platform/win32/win32_window_handles.h"

#include "platform/win32/win32_canvas.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_system.h"

#include <string>
#include <vector>

namespace platform {
namespace {

using win32::Handle;
using win32::Hwnd;

// A short name converted on the stack: looking up and posting to windows
// happens on the reader thread, which must not allocate per frame.
class WideName {
public:
    explicit WideName(std::string_view utf8) {
        const int length = ::MultiByteToWideChar(
            CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), m_text, kCapacity - 1);
        m_text[length > 0 ? length : 0] = L'\0';
    }
    const wchar_t* c_str() const { return m_text; }

private:
    static constexpr int kCapacity = 260;
    wchar_t m_text[kCapacity];
};

// Routes the dialog's messages to its procedure, which the initialisation
// message carries in and the window keeps in its user data.
INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
    }
    auto* procedure = reinterpret_cast<WindowProcedure*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (procedure == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    bool handled = false;
    const LResult result = procedure->HandleMessage(Handle(hwnd), message, wParam,
                                                    message == WM_INITDIALOG ? 0 : lParam, handled);
    if (message == WM_INITDIALOG) {
        return handled ? result : TRUE;
    }
    if (!handled) {
        return FALSE;
    }
    switch (message) {
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        // These return their answer directly rather than through DWLP_MSGRESULT.
        return result;
    default:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

// A running window's loop, kept as a property of the window.
struct RunningWindow {
    bool ended = false;
    LResult result = -1;
};
constexpr const wchar_t* kLoopProperty = L"Whiteboard.Loop";

// Routes a plain window's messages to its procedure, which the creation
// parameters carry in and the window keeps in its user data.
LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* procedure = reinterpret_cast<WindowProcedure*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        // Destroyed behind the loop's back: the loop must not wait on.
        if (auto* running = static_cast<RunningWindow*>(GetPropW(hwnd, kLoopProperty))) {
            running->ended = true;
        }
    }
    if (procedure == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    bool handled = false;
    const LResult result = procedure->HandleMessage(Handle(hwnd), message, wParam,
                                                    message == WM_CREATE ? 0 : lParam, handled);
    return handled ? result : DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

WindowHandle Win32WindowSystem::FindWindow(std::string_view className,
                                           std::optional<std::string_view> title) {
    const WideName wideClass(className);
    if (!title) {
        return Handle(::FindWindowW(wideClass.c_str(), nullptr));
    }
    const WideName wideTitle(*title);
    return Handle(::FindWindowW(wideClass.c_str(), wideTitle.c_str()));
}

bool Win32WindowSystem::PostMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                    LParam lParam) {
    if (window == kNoWindow) {
        return false; // the API would post to this thread's own queue instead
    }
    return ::PostMessageW(Hwnd(window), message, wParam, lParam) != FALSE;
}

std::uint32_t Win32WindowSystem::RegisterWindowMessage(std::string_view name) {
    return ::RegisterWindowMessageW(Wide(name).c_str());
}

WindowHandle Win32WindowSystem::GetForegroundWindow() {
    return Handle(::GetForegroundWindow());
}

int Win32WindowSystem::MessageBox(WindowHandle owner, std::string_view text,
                                  std::string_view caption, std::uint32_t style) {
    return ::MessageBoxW(Hwnd(owner), Wide(text).c_str(), Wide(caption).c_str(), style);
}

LResult Win32WindowSystem::DialogBoxModal(const DialogTemplate& dialog, WindowHandle parent,
                                          WindowProcedure& procedure) {
    const std::vector<std::uint16_t> words = BuildExtendedTemplate(dialog);
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                     reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), Hwnd(parent),
                                     DialogProc, reinterpret_cast<LPARAM>(&procedure));
}

bool Win32WindowSystem::EndDialog(WindowHandle dialog, LResult result) {
    return ::EndDialog(Hwnd(dialog), result) != FALSE;
}

LResult Win32WindowSystem::RunWindow(const WindowDescription& description,
                                     WindowProcedure& procedure) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const std::wstring className = Wide(description.className);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = className.c_str();
    // No background brush: the window paints all of itself.
    if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return -1;
    }
    const HWND hwnd =
        ::CreateWindowExW(description.exStyle, className.c_str(), Wide(description.title).c_str(),
                          description.style & ~WS_VISIBLE, description.x, description.y,
                          description.cx, description.cy, nullptr, nullptr, instance, &procedure);
    if (hwnd == nullptr) {
        return -1;
    }
    RunningWindow running;
    ::SetPropW(hwnd, kLoopProperty, &running);
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    ::SetForegroundWindow(hwnd);
    MSG message;
    while (!running.ended) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                ::PostQuitMessage(static_cast<int>(message.wParam)); // for the loop outside
            }
            break;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (::IsWindow(hwnd)) {
        ::RemovePropW(hwnd, kLoopProperty);
        ::DestroyWindow(hwnd);
    }
    return running.result;
}

bool Win32WindowSystem::EndWindow(WindowHandle window, LResult result) {
    auto* running = static_cast<RunningWindow*>(::GetPropW(Hwnd(window), kLoopProperty));
    if (running == nullptr) {
        return false;
    }
    running->ended = true;
    running->result = result;
    ::PostMessageW(Hwnd(window), WM_NULL, 0, 0); // wakes the loop
    return true;
}

void Win32WindowSystem::Invalidate(WindowHandle window) {
    ::InvalidateRect(Hwnd(window), nullptr, FALSE);
}

void Win32WindowSystem::Paint(WindowHandle window, const std::function<void(Canvas&)>& draw) {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(Hwnd(window), &paint);
    RECT client{};
    ::GetClientRect(Hwnd(window), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const HDC memory = ::CreateCompatibleDC(dc);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(dc, width, height);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    {
        Win32Canvas canvas(memory, width, height);
        draw(canvas);
    }
    ::BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::EndPaint(Hwnd(window), &paint);
}

bool Win32WindowSystem::SetTimer(WindowHandle window, std::uintptr_t timerId,
                                 std::uint32_t milliseconds) {
    return ::SetTimer(Hwnd(window), timerId, milliseconds, nullptr) != 0;
}

bool Win32WindowSystem::KillTimer(WindowHandle window, std::uintptr_t timerId) {
    return ::KillTimer(Hwnd(window), timerId) != FALSE;
}

bool Win32WindowSystem::ShowWindow(WindowHandle window, int command) {
    return ::ShowWindow(Hwnd(window), command) != FALSE;
}

bool Win32WindowSystem::IsIconic(WindowHandle window) {
    return ::IsIconic(Hwnd(window)) != FALSE;
}

bool Win32WindowSystem::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y,
                                     int cx, int cy, std::uint32_t flags) {
    const HWND after = insertAfter == kNoWindow ? HWND_TOP : Hwnd(insertAfter);
    return ::SetWindowPos(Hwnd(window), after, x, y, cx, cy, flags) != FALSE;
}

std::uint32_t Win32WindowSystem::GetExStyle(WindowHandle window) {
    return static_cast<std::uint32_t>(::GetWindowLongW(Hwnd(window), GWL_EXSTYLE));
}

void Win32WindowSystem::SetExStyle(WindowHandle window, std::uint32_t exStyle) {
    ::SetWindowLongW(Hwnd(window), GWL_EXSTYLE, static_cast<LONG>(exStyle));
}

bool Win32WindowSystem::SetWindowText(WindowHandle window, std::string_view text) {
    return ::SetWindowTextW(Hwnd(window), Wide(text).c_str()) != FALSE;
}

void Win32WindowSystem::PaintIconCentred(WindowHandle window, IconHandle icon) {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(Hwnd(window), &paint);
    ::SendMessageW(Hwnd(window), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    ::GetClientRect(Hwnd(window), &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, reinterpret_cast<HICON>(icon));
    ::EndPaint(Hwnd(window), &paint);
}

void Win32WindowSystem::DefaultPaint(WindowHandle window) {
    PAINTSTRUCT paint{};
    ::BeginPaint(Hwnd(window), &paint);
    ::EndPaint(Hwnd(window), &paint);
}

} // namespace platform
