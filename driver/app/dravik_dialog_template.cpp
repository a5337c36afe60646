#include "driver/app/dravik_dialog_template.h"

#include "driver/app/dravik_ids.h"
#include "platform/window_messages.h"

namespace driver {

using namespace platform;

const DialogTemplate& DravikDialogTemplate() {
    static const DialogTemplate dialog = [] {
        DialogTemplate t;
        t.resourceId = kDravikDialogId;
        t.caption = contract::driver_window::kTitle;
        // No system menu, hence no close box.
        t.style = ws::kPopup | ws::kVisible | ws::kCaption | ws::kDsModalFrame | ws::kDsSetFont |
                  ws::kDsFixedSys;
        t.exStyle = ws_ex::kAppWindow;
        t.cx = 254;
        t.cy = 102;
        t.pointSize = 8;
        t.fontFace = "MS Shell Dlg";
        t.charset = 134; // GB2312: the texts are Chinese
        const std::uint32_t child = ws::kChild | ws::kVisible | ws::kTabStop;
        t.controls = {
            {id::kOk, ControlClass::Button, "", kEnableDualPenText, child | ws::kBsDefPushButton, 0,
             7, 7, 50, 16},
            {id::kCancel, ControlClass::Button, "", "退出", child | ws::kBsPushButton, 0, 7, 23, 50,
             16},
            {kStateEditId, ControlClass::Edit, "", "", child | ws::kBorder | ws::kEsAutoHScroll, 0,
             85, 25, 130, 23},
        };
        return t;
    }();
    return dialog;
}

} // namespace driver
