#pragma once

#include "platform/mouse_port.h"

namespace platform {

class Win32Mouse : public MousePort {
public:
    void MouseEvent(std::uint32_t flags, std::int32_t dx, std::int32_t dy) override;
    void SetCursorPos(int x, int y) override;
};

} // namespace platform
