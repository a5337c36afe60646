#pragma once

#include "platform/window_handles.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// Windows of this and other programs found by class and title, and the
// messages posted to them. Safe on any thread; texts are UTF-8.
class MessagePort {
public:
    virtual ~MessagePort() = default;

    // A top-level window by class, and by title when one is given.
    virtual WindowHandle FindWindow(std::string_view className,
                                    std::optional<std::string_view> title) = 0;
    // A post to no window (0) goes nowhere and returns false.
    virtual bool PostMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) = 0;
    // 0 when the name cannot be registered.
    virtual std::uint32_t RegisterWindowMessage(std::string_view name) = 0;
    virtual WindowHandle GetForegroundWindow() = 0;
};

} // namespace platform
