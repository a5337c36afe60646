// Drives the windows of other programs for the end-to-end tests under Wine.
// Results go to stdout as "key value" lines in UTF-8; exit code 0 on success, 1 otherwise.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
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

int MsgBox(const std::wstring& caption, long long timeoutMs) {
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
    HWND ok = GetDlgItem(box, IDOK);
    DWORD_PTR ignored = 0;
    if (ok == nullptr ||
        !SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) {
        Fail("could not click OK");
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

int Usage() {
    Fail("usage: wintest "
         "list|find|wait-window|wait-gone|wait-hidden|post|post-registered|styles|text|"
         "msgbox|show-msgbox|companion ...");
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
    if (command == L"styles" && a.size() == 2) {
        HWND target = window();
        return target ? Styles(target) : 1;
    }
    if (command == L"text" && a.size() == 3) {
        HWND target = window();
        return target ? Text(target, a[2]) : 1;
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
