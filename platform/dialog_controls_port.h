#pragma once

#include "platform/window_handles.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The controls of a dialog by identifier, the pictures of extended combo
// boxes, and the program's icons. All texts are UTF-8.
class DialogControlsPort {
public:
    virtual ~DialogControlsPort() = default;

    virtual bool SetDlgItemText(WindowHandle dialog, int controlId, std::string_view text) = 0;
    virtual std::string GetDlgItemText(WindowHandle dialog, int controlId) = 0;
    virtual bool CheckDlgButton(WindowHandle dialog, int controlId, bool checked) = 0;
    virtual bool IsDlgButtonChecked(WindowHandle dialog, int controlId) = 0;
    virtual bool EnableDlgItem(WindowHandle dialog, int controlId, bool enabled) = 0;
    virtual bool IsDlgItemEnabled(WindowHandle dialog, int controlId) = 0;
    // -1 is no selection.
    virtual bool SetComboSelection(WindowHandle dialog, int controlId, int index) = 0;
    virtual int GetComboSelection(WindowHandle dialog, int controlId) = 0;

    // A list of equally sized pictures (ILC_* flags); 0 when it cannot be made.
    virtual ImageListHandle CreateImageList(int cx, int cy, std::uint32_t flags, int initial,
                                            int grow) = 0;
    // Adds the program's bitmap resource; pixels of maskColour (0x00BBGGRR)
    // become transparent. The index of the image added, -1 on failure.
    virtual int AddMaskedBitmap(ImageListHandle list, int bitmapResourceId,
                                std::uint32_t maskColour) = 0;
    virtual void DestroyImageList(ImageListHandle list) = 0;
    // The pictures of an extended combo box; the list stays the caller's.
    virtual bool SetComboImageList(WindowHandle dialog, int controlId, ImageListHandle list) = 0;
    // An item of an extended combo box with its picture and the picture shown
    // while it is selected; the index it got, -1 on failure.
    virtual int InsertComboItem(WindowHandle dialog, int controlId, int index,
                                std::string_view text, int image, int selectedImage) = 0;

    // Registers the common control classes (an ICC_* set) before dialogs use them.
    virtual void InitCommonControls(std::uint32_t classes) = 0;

    // The program's icon resource; 0 when missing.
    virtual IconHandle LoadAppIcon(int resourceId) = 0;
    virtual void SetIcon(WindowHandle window, IconHandle icon, bool big) = 0;
};

} // namespace platform
