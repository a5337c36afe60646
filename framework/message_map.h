#pragma once

#include "platform/window_messages.h"
#include "platform/window_port.h"

#include <cstdint>
#include <span>

namespace framework {

// One row of a dialog's static message map. Rows are searched in the order
// they are declared; the first that matches handles the message.
template <typename Dialog> struct MessageMapEntry {
    enum class Kind { Message, Command, Registered };

    Kind kind = Kind::Message;
    std::uint32_t message = 0;
    int commandId = 0;
    // Registered messages get their identifiers at run time.
    std::uint32_t (Dialog::*registeredId)() const = nullptr;
    platform::LResult (Dialog::*onMessage)(platform::WParam, platform::LParam) = nullptr;
    void (Dialog::*onCommand)() = nullptr;
};

template <typename Dialog>
constexpr MessageMapEntry<Dialog>
OnMessage(std::uint32_t message,
          platform::LResult (Dialog::*handler)(platform::WParam, platform::LParam)) {
    MessageMapEntry<Dialog> entry;
    entry.kind = MessageMapEntry<Dialog>::Kind::Message;
    entry.message = message;
    entry.onMessage = handler;
    return entry;
}

// A button's click: WM_COMMAND with the control's identifier and the
// clicked notification, which is also what Enter and Escape produce.
template <typename Dialog>
constexpr MessageMapEntry<Dialog> OnCommand(int commandId, void (Dialog::*handler)()) {
    MessageMapEntry<Dialog> entry;
    entry.kind = MessageMapEntry<Dialog>::Kind::Command;
    entry.commandId = commandId;
    entry.onCommand = handler;
    return entry;
}

template <typename Dialog>
constexpr MessageMapEntry<Dialog>
OnRegistered(std::uint32_t (Dialog::*registeredId)() const,
             platform::LResult (Dialog::*handler)(platform::WParam, platform::LParam)) {
    MessageMapEntry<Dialog> entry;
    entry.kind = MessageMapEntry<Dialog>::Kind::Registered;
    entry.registeredId = registeredId;
    entry.onMessage = handler;
    return entry;
}

template <typename Dialog>
bool DispatchMessageMap(Dialog& dialog, std::span<const MessageMapEntry<Dialog>> map,
                        std::uint32_t message, platform::WParam wParam, platform::LParam lParam,
                        platform::LResult& result) {
    using Kind = typename MessageMapEntry<Dialog>::Kind;
    for (const MessageMapEntry<Dialog>& entry : map) {
        switch (entry.kind) {
        case Kind::Message:
            if (entry.message == message) {
                result = (dialog.*entry.onMessage)(wParam, lParam);
                return true;
            }
            break;
        case Kind::Command:
            if (message == platform::wm::kCommand &&
                (wParam & 0xFFFF) == static_cast<platform::WParam>(entry.commandId) &&
                ((wParam >> 16) & 0xFFFF) == 0) {
                (dialog.*entry.onCommand)();
                result = 0;
                return true;
            }
            break;
        case Kind::Registered: {
            const std::uint32_t id = (dialog.*entry.registeredId)();
            // An identifier that failed to register stays 0 and matches nothing.
            if (id != 0 && id == message) {
                result = (dialog.*entry.onMessage)(wParam, lParam);
                return true;
            }
            break;
        }
        }
    }
    return false;
}

} // namespace framework
