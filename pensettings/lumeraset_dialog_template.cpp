#include "pensettings/lumeraset_dialog_template.h"

#include "pensettings/lumeraset_ids.h"
#include "platform/window_messages.h"

namespace pensettings {

using namespace platform;

const DialogTemplate& LumeraSetDialogTemplate() {
    static const DialogTemplate dialog = [] {
        DialogTemplate t;
        t.resourceId = kLumeraSetDialogId;
        t.caption = "LumeraSet";
        t.style = ws::kPopup | ws::kVisible | ws::kCaption | ws::kSysMenu | ws::kMinimizeBox |
                  ws::kDsModalFrame | ws::kDsShellFont;
        t.exStyle = ws_ex::kAppWindow;
        t.cx = 240;
        t.cy = 210;
        t.pointSize = 9;
        t.fontFace = "MS Shell Dlg";
        t.charset = 134; // GB2312: the texts are Chinese
        const std::uint32_t child = ws::kChild | ws::kVisible;
        const std::uint32_t list = child | ws::kCbsDropDownList | ws::kVScroll | ws::kTabStop;
        const auto button = ControlClass::Button;
        const auto label = ControlClass::Static;
        const auto combo = ControlClass::ComboBox;
        t.controls = {
            {kOuterGroupId, button, "", "静态", child | ws::kBsGroupBox, 0, 17, 15, 207, 163},
            {kDefaultOptionsId, button, "", "默认选项",
             child | ws::kBsAutoRadioButton | ws::kGroup | ws::kTabStop, 0, 37, 42, 129, 10},
            {kCustomOptionsId, button, "", "自定义选项", child | ws::kBsAutoRadioButton, 0, 37, 66,
             139, 10},
            // Ends the radio buttons' group.
            {kInnerGroupId, button, "", "静态", child | ws::kBsGroupBox | ws::kGroup, 0, 33, 86,
             175, 87},
            {kFrontLabelId, label, "", "前键单击：", child | ws::kSsRight, 0, 28, 115, 50, 8},
            {kFrontListId, combo, "ComboBoxEx32", "", list, 0, 98, 107, 99, 90},
            {kBackLabelId, label, "", "后键单击：", child | ws::kSsRight, 0, 28, 148, 50, 11},
            {kBackListId, combo, "ComboBoxEx32", "", list, 0, 98, 143, 99, 87},
            {id::kOk, button, "", "确定", child | ws::kBsDefPushButton | ws::kTabStop, 0, 115, 187,
             50, 14},
            {id::kCancel, button, "", "取消", child | ws::kBsPushButton | ws::kTabStop, 0, 173, 186,
             50, 14},
        };
        return t;
    }();
    return dialog;
}

} // namespace pensettings
