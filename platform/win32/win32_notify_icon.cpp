// windows.h first, as the handles header wants it.
#include "platform/win32/win32_window_handles.h"

#include "platform/win32/win32_notify_icon.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <array>
#include <cwchar>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace platform {

namespace {

// The program has one icon.
constexpr UINT kIconUid = 1;

template <std::size_t N> void CopyCut(WCHAR (&target)[N], std::string_view utf8) {
    const std::wstring wide = Wide(utf8);
    std::size_t length = std::min(wide.size(), N - 1);
    // Never half a surrogate pair.
    if (length > 0 && length < wide.size() && wide[length - 1] >= 0xD800 &&
        wide[length - 1] <= 0xDBFF) {
        --length;
    }
    std::wmemcpy(target, wide.data(), length);
    target[length] = L'\0';
}

NOTIFYICONDATAW IconData(WindowHandle owner) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = win32::Hwnd(owner);
    data.uID = kIconUid;
    return data;
}

void SetLook(NOTIFYICONDATAW& data, const NotifyIconLook& look) {
    // Shared: the system keeps the one copy, nothing to destroy.
    data.hIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(look.iconId), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    CopyCut(data.szTip, look.tooltip);
    data.uFlags |= NIF_ICON | NIF_TIP | NIF_SHOWTIP;
}

// An elevated driver must still hear the shell, which runs unelevated.
void LetTheShellIn(HWND owner, UINT message) {
    ChangeWindowMessageFilterEx(owner, message, MSGFLT_ALLOW, nullptr);
}

} // namespace

bool Win32NotifyIcon::AddIcon(WindowHandle owner, std::uint32_t callbackMessage,
                              const NotifyIconLook& look) {
    NOTIFYICONDATAW data = IconData(owner);
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = callbackMessage;
    SetLook(data, look);
    LetTheShellIn(data.hWnd, callbackMessage);
    LetTheShellIn(data.hWnd, RegisterWindowMessageW(L"TaskbarCreated"));
    if (!Shell_NotifyIconW(NIM_ADD, &data)) {
        return false;
    }
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
    return true;
}

bool Win32NotifyIcon::ModifyIcon(WindowHandle owner, const NotifyIconLook& look) {
    NOTIFYICONDATAW data = IconData(owner);
    SetLook(data, look);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool Win32NotifyIcon::ShowBalloon(WindowHandle owner, std::string_view title,
                                  std::string_view text) {
    NOTIFYICONDATAW data = IconData(owner);
    data.uFlags = NIF_INFO;
    CopyCut(data.szInfoTitle, title);
    CopyCut(data.szInfo, text);
    data.dwInfoFlags = NIIF_INFO;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void Win32NotifyIcon::DeleteIcon(WindowHandle owner) {
    NOTIFYICONDATAW data = IconData(owner);
    Shell_NotifyIconW(NIM_DELETE, &data);
}

std::uint16_t Win32NotifyIcon::ShowMenu(WindowHandle owner, const std::vector<MenuEntry>& entries) {
    const HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        m_trace.Failure("CreatePopupMenu", GetLastError(), "");
        return 0;
    }
    for (const MenuEntry& entry : entries) {
        if (entry.command == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, entry.command, Wide(entry.text).c_str());
        }
    }
    POINT at{};
    GetCursorPos(&at);
    const HWND window = win32::Hwnd(owner);
    // Without this the menu stays open when the user clicks elsewhere, and
    // the message after it lets the next click reach the menu again.
    SetForegroundWindow(window);
    const BOOL chosen = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x,
                                         at.y, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return static_cast<std::uint16_t>(chosen);
}

std::optional<std::string> Win32NotifyIcon::PickFolder(WindowHandle owner, std::string_view title) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring wideTitle = Wide(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = win32::Hwnd(owner);
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    std::optional<std::string> folder;
    if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse); chosen != nullptr) {
        std::array<WCHAR, MAX_PATH> path{};
        if (SHGetPathFromIDListW(chosen, path.data())) {
            // The files port takes code-page paths: a name the code page
            // cannot hold would name another folder.
            std::array<char, MAX_PATH * 2> narrow{};
            BOOL lost = FALSE;
            const int length =
                WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), -1, narrow.data(),
                                    static_cast<int>(narrow.size()), nullptr, &lost);
            if (length > 0 && !lost) {
                folder = std::string(narrow.data());
                if (!folder->ends_with('\\')) {
                    *folder += '\\';
                }
            } else {
                m_trace.Failure("WideCharToMultiByte", GetLastError(), Narrow(path.data()));
            }
        }
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return folder;
}

std::string Win32NotifyIcon::DesktopFolder() {
    std::array<char, MAX_PATH> path{};
    if (!SHGetSpecialFolderPathA(nullptr, path.data(), CSIDL_DESKTOPDIRECTORY, FALSE)) {
        m_trace.Failure("SHGetSpecialFolderPathA", GetLastError(), "CSIDL_DESKTOPDIRECTORY");
        return {};
    }
    std::string folder(path.data());
    if (!folder.ends_with('\\')) {
        folder += '\\';
    }
    return folder;
}

} // namespace platform
