// First: it brings windows.h without the A/W macros that would rename the
// port's methods.
#include "platform/win32/win32_window_handles.h"

#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_system.h"

#include <commctrl.h>

#include <string>

namespace platform {

using win32::Hwnd;

bool Win32WindowSystem::SetDlgItemText(WindowHandle dialog, int controlId, std::string_view text) {
    return ::SetDlgItemTextW(Hwnd(dialog), controlId, Wide(text).c_str()) != FALSE;
}

std::string Win32WindowSystem::GetDlgItemText(WindowHandle dialog, int controlId) {
    const HWND control = ::GetDlgItem(Hwnd(dialog), controlId);
    if (control == nullptr) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return Narrow(text);
}

bool Win32WindowSystem::CheckDlgButton(WindowHandle dialog, int controlId, bool checked) {
    return ::CheckDlgButton(Hwnd(dialog), controlId, checked ? BST_CHECKED : BST_UNCHECKED) !=
           FALSE;
}

bool Win32WindowSystem::IsDlgButtonChecked(WindowHandle dialog, int controlId) {
    return ::IsDlgButtonChecked(Hwnd(dialog), controlId) == BST_CHECKED;
}

bool Win32WindowSystem::EnableDlgItem(WindowHandle dialog, int controlId, bool enabled) {
    const HWND control = ::GetDlgItem(Hwnd(dialog), controlId);
    if (control == nullptr) {
        return false;
    }
    ::EnableWindow(control, enabled ? TRUE : FALSE);
    return true;
}

bool Win32WindowSystem::IsDlgItemEnabled(WindowHandle dialog, int controlId) {
    const HWND control = ::GetDlgItem(Hwnd(dialog), controlId);
    return control != nullptr && ::IsWindowEnabled(control) != FALSE;
}

bool Win32WindowSystem::SetComboSelection(WindowHandle dialog, int controlId, int index) {
    const LRESULT result =
        ::SendDlgItemMessageW(Hwnd(dialog), controlId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return index < 0 || result == index;
}

int Win32WindowSystem::GetComboSelection(WindowHandle dialog, int controlId) {
    return static_cast<int>(::SendDlgItemMessageW(Hwnd(dialog), controlId, CB_GETCURSEL, 0, 0));
}

ImageListHandle Win32WindowSystem::CreateImageList(int cx, int cy, std::uint32_t flags, int initial,
                                                   int grow) {
    return reinterpret_cast<ImageListHandle>(::ImageList_Create(cx, cy, flags, initial, grow));
}

int Win32WindowSystem::AddMaskedBitmap(ImageListHandle list, int bitmapResourceId,
                                       std::uint32_t maskColour) {
    // A DIB section keeps the resource's 24-bit colours on any display depth.
    const auto bitmap = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                          MAKEINTRESOURCEW(bitmapResourceId),
                                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) {
        return -1;
    }
    const int index = ::ImageList_AddMasked(reinterpret_cast<HIMAGELIST>(list), bitmap, maskColour);
    ::DeleteObject(bitmap); // the list keeps its own copy
    return index;
}

void Win32WindowSystem::DestroyImageList(ImageListHandle list) {
    if (list != 0) {
        ::ImageList_Destroy(reinterpret_cast<HIMAGELIST>(list));
    }
}

bool Win32WindowSystem::SetComboImageList(WindowHandle dialog, int controlId,
                                          ImageListHandle list) {
    const HWND control = ::GetDlgItem(Hwnd(dialog), controlId);
    if (control == nullptr) {
        return false;
    }
    ::SendMessageW(control, CBEM_SETIMAGELIST, 0, static_cast<LPARAM>(list));
    return true;
}

int Win32WindowSystem::InsertComboItem(WindowHandle dialog, int controlId, int index,
                                       std::string_view text, int image, int selectedImage) {
    const HWND control = ::GetDlgItem(Hwnd(dialog), controlId);
    if (control == nullptr) {
        return -1;
    }
    std::wstring wideText = Wide(text);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = index;
    item.pszText = wideText.data();
    item.iImage = image;
    item.iSelectedImage = selectedImage;
    return static_cast<int>(
        ::SendMessageW(control, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void Win32WindowSystem::InitCommonControls(std::uint32_t classes) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = classes;
    ::InitCommonControlsEx(&init);
}

IconHandle Win32WindowSystem::LoadAppIcon(int resourceId) {
    return reinterpret_cast<IconHandle>(
        ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId)));
}

void Win32WindowSystem::SetIcon(WindowHandle window, IconHandle icon, bool big) {
    ::SendMessageW(Hwnd(window), WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                   static_cast<LPARAM>(icon));
}

} // namespace platform
