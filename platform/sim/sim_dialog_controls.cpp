// The desktop's dialog controls, image lists and icons, and a user's
// clicks and keys on them.
#include "platform/sim/sim_desktop.h"

#include "platform/window_messages.h"

#include <algorithm>

namespace platform {
namespace {

constexpr std::uint32_t kIconBase = 0x7000;
constexpr ImageListHandle kImageListBase = 0x9000;
constexpr std::string_view kComboBoxEx = "ComboBoxEx32";

} // namespace

SimDesktop::Control* SimDesktop::FindControl(WindowHandle dialog, int controlId) {
    Window* window = Find(dialog);
    if (window == nullptr) {
        return nullptr;
    }
    const auto it = window->controls.find(controlId);
    return it == window->controls.end() ? nullptr : &it->second;
}

bool SimDesktop::SetDlgItemText(WindowHandle dialog, int controlId, std::string_view text) {
    std::lock_guard lock(m_mutex);
    Control* control = FindControl(dialog, controlId);
    if (control == nullptr) {
        return false;
    }
    control->text = std::string(text);
    return true;
}

std::string SimDesktop::GetDlgItemText(WindowHandle dialog, int controlId) {
    std::lock_guard lock(m_mutex);
    const Control* control = FindControl(dialog, controlId);
    return control == nullptr ? std::string() : control->text;
}

bool SimDesktop::CheckDlgButton(WindowHandle dialog, int controlId, bool checked) {
    std::lock_guard lock(m_mutex);
    Control* control = FindControl(dialog, controlId);
    if (control == nullptr) {
        return false;
    }
    control->checked = checked;
    return true;
}

bool SimDesktop::IsDlgButtonChecked(WindowHandle dialog, int controlId) {
    std::lock_guard lock(m_mutex);
    const Control* control = FindControl(dialog, controlId);
    return control != nullptr && control->checked;
}

bool SimDesktop::EnableDlgItem(WindowHandle dialog, int controlId, bool enabled) {
    std::lock_guard lock(m_mutex);
    Control* control = FindControl(dialog, controlId);
    if (control == nullptr) {
        return false;
    }
    control->enabled = enabled;
    return true;
}

bool SimDesktop::IsDlgItemEnabled(WindowHandle dialog, int controlId) {
    std::lock_guard lock(m_mutex);
    const Control* control = FindControl(dialog, controlId);
    return control != nullptr && control->enabled;
}

bool SimDesktop::SetComboSelection(WindowHandle dialog, int controlId, int index) {
    std::lock_guard lock(m_mutex);
    Control* control = FindControl(dialog, controlId);
    if (control == nullptr) {
        return false;
    }
    // Like CB_SETCURSEL: an index that names no item clears the selection.
    const bool valid = index >= 0 && static_cast<std::size_t>(index) < control->items.size();
    control->comboSelection = valid ? index : -1;
    return valid || index == -1;
}

int SimDesktop::GetComboSelection(WindowHandle dialog, int controlId) {
    std::lock_guard lock(m_mutex);
    const Control* control = FindControl(dialog, controlId);
    return control == nullptr ? -1 : control->comboSelection;
}

IconHandle SimDesktop::LoadAppIcon(int resourceId) {
    return kIconBase + static_cast<IconHandle>(resourceId);
}

void SimDesktop::SetIcon(WindowHandle window, IconHandle icon, bool big) {
    std::lock_guard lock(m_mutex);
    if (Window* target = Find(window)) {
        (big ? target->bigIcon : target->smallIcon) = icon;
    }
}

ImageListHandle SimDesktop::CreateImageList(int cx, int cy, std::uint32_t flags, int initial,
                                            int grow) {
    std::lock_guard lock(m_mutex);
    if (cx <= 0 || cy <= 0 || initial < 0 || grow < 0) {
        return 0;
    }
    ImageListRecord record;
    record.cx = cx;
    record.cy = cy;
    record.flags = flags;
    record.initial = initial;
    record.grow = grow;
    m_imageLists.push_back(std::move(record));
    return kImageListBase + m_imageLists.size();
}

ImageListRecord* SimDesktop::FindImageList(ImageListHandle list) {
    if (list <= kImageListBase || list - kImageListBase > m_imageLists.size()) {
        return nullptr;
    }
    ImageListRecord& record = m_imageLists[list - kImageListBase - 1];
    return record.destroyed ? nullptr : &record;
}

int SimDesktop::AddMaskedBitmap(ImageListHandle list, int bitmapResourceId,
                                std::uint32_t maskColour) {
    std::lock_guard lock(m_mutex);
    ImageListRecord* record = FindImageList(list);
    if (record == nullptr || bitmapResourceId <= 0) {
        return -1;
    }
    record->images.push_back({bitmapResourceId, maskColour});
    return static_cast<int>(record->images.size()) - 1;
}

void SimDesktop::DestroyImageList(ImageListHandle list) {
    std::lock_guard lock(m_mutex);
    if (ImageListRecord* record = FindImageList(list)) {
        record->destroyed = true;
    }
}

bool SimDesktop::SetComboImageList(WindowHandle dialog, int controlId, ImageListHandle list) {
    std::lock_guard lock(m_mutex);
    Control* control = FindControl(dialog, controlId);
    if (control == nullptr || control->source.className != kComboBoxEx) {
        return false;
    }
    control->imageList = list;
    return true;
}

int SimDesktop::InsertComboItem(WindowHandle dialog, int controlId, int index,
                                std::string_view text, int image, int selectedImage) {
    std::lock_guard lock(m_mutex);
    Control* control = FindControl(dialog, controlId);
    if (control == nullptr || control->source.className != kComboBoxEx || index < -1 ||
        index > static_cast<int>(control->items.size())) {
        return -1;
    }
    const int at = index == -1 ? static_cast<int>(control->items.size()) : index;
    control->items.insert(control->items.begin() + at, {std::string(text), image, selectedImage});
    return at;
}

std::vector<ImageListRecord> SimDesktop::ImageLists() const {
    std::lock_guard lock(m_mutex);
    return m_imageLists;
}

std::vector<ComboItem> SimDesktop::ComboItems(WindowHandle dialog, int controlId) const {
    std::lock_guard lock(m_mutex);
    const Window* window = Find(dialog);
    if (window == nullptr || window->controls.count(controlId) == 0) {
        return {};
    }
    return window->controls.at(controlId).items;
}

ImageListHandle SimDesktop::ComboImageList(WindowHandle dialog, int controlId) const {
    std::lock_guard lock(m_mutex);
    const Window* window = Find(dialog);
    if (window == nullptr || window->controls.count(controlId) == 0) {
        return 0;
    }
    return window->controls.at(controlId).imageList;
}

void SimDesktop::ClickButton(WindowHandle dialog, int controlId) {
    {
        std::lock_guard lock(m_mutex);
        Window* window = Find(dialog);
        Control* control = FindControl(dialog, controlId);
        if (control == nullptr || !control->enabled) {
            return;
        }
        if ((control->source.style & 0x0F) == ws::kBsAutoRadioButton) {
            // The group runs from the last control marked as its first up to
            // the next one so marked.
            const std::vector<int>& order = window->controlOrder;
            const auto at = std::find(order.begin(), order.end(), controlId);
            auto first = at;
            while (first != order.begin() &&
                   (window->controls.at(*first).source.style & ws::kGroup) == 0) {
                --first;
            }
            auto end = at + 1;
            while (end != order.end() &&
                   (window->controls.at(*end).source.style & ws::kGroup) == 0) {
                ++end;
            }
            for (auto it = first; it != end; ++it) {
                Control& member = window->controls.at(*it);
                if ((member.source.style & 0x0F) == ws::kBsAutoRadioButton) {
                    member.checked = *it == controlId;
                }
            }
        }
    }
    Send(dialog, wm::kCommand, static_cast<WParam>(controlId & 0xFFFF), 0);
}

void SimDesktop::ChooseComboItem(WindowHandle dialog, int controlId, int index) {
    {
        std::lock_guard lock(m_mutex);
        const Control* control = FindControl(dialog, controlId);
        if (control == nullptr || !control->enabled) {
            return;
        }
    }
    SetComboSelection(dialog, controlId, index);
    constexpr WParam kSelChange = 1;
    Send(dialog, wm::kCommand, static_cast<WParam>(controlId & 0xFFFF) | (kSelChange << 16), 0);
}

void SimDesktop::InitCommonControls(std::uint32_t classes) {
    std::lock_guard lock(m_mutex);
    m_commonControls |= classes;
}

IconHandle SimDesktop::GetIcon(WindowHandle window, bool big) const {
    std::lock_guard lock(m_mutex);
    const Window* target = Find(window);
    return target == nullptr ? 0 : (big ? target->bigIcon : target->smallIcon);
}

void SimDesktop::PressEnter(WindowHandle dialog) {
    std::lock_guard lock(m_mutex);
    int target = id::kOk;
    if (const Window* window = Find(dialog)) {
        for (const auto& [controlId, control] : window->controls) {
            if (control.source.controlClass == ControlClass::Button &&
                (control.source.style & 0x0F) == ws::kBsDefPushButton) {
                target = controlId;
            }
        }
    }
    PostMessage(dialog, wm::kCommand, static_cast<WParam>(target), 0);
}

void SimDesktop::PressEscape(WindowHandle dialog) {
    bool plain = false;
    {
        std::lock_guard lock(m_mutex);
        const Window* target = Find(dialog);
        plain = target != nullptr && target->plain;
    }
    if (plain) {
        PostMessage(dialog, wm::kKeyDown, vk::kEscape, 1);
        return;
    }
    PostMessage(dialog, wm::kCommand, static_cast<WParam>(id::kCancel), 0);
}

} // namespace platform
