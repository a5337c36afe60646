#pragma once

#include "platform/mouse_port.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {

struct MouseRecord {
    enum class Kind { Event, SetCursor };
    Kind kind = Kind::Event;
    std::uint32_t flags = 0; // mouse_event flags; 0 for SetCursor
    std::int32_t x = 0;      // dx/dy of an event, or the cursor position
    std::int32_t y = 0;
    friend bool operator==(const MouseRecord&, const MouseRecord&) = default;
};

// Records every mouse call in order.
class SimMouse : public MousePort {
public:
    void MouseEvent(std::uint32_t flags, std::int32_t dx, std::int32_t dy) override;
    void SetCursorPos(int x, int y) override;

    std::vector<MouseRecord> Records() const;
    // Only the mouse_event calls, in order.
    std::vector<MouseRecord> Events() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<MouseRecord> m_records;
};

} // namespace platform
