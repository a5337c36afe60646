#include "platform/sim/sim_mouse.h"

#include <algorithm>
#include <iterator>

namespace platform {

void SimMouse::MouseEvent(std::uint32_t flags, std::int32_t dx, std::int32_t dy) {
    std::lock_guard lock(m_mutex);
    m_records.push_back({MouseRecord::Kind::Event, flags, dx, dy});
}

void SimMouse::SetCursorPos(int x, int y) {
    std::lock_guard lock(m_mutex);
    m_records.push_back({MouseRecord::Kind::SetCursor, 0, x, y});
}

std::vector<MouseRecord> SimMouse::Records() const {
    std::lock_guard lock(m_mutex);
    return m_records;
}

std::vector<MouseRecord> SimMouse::Events() const {
    std::lock_guard lock(m_mutex);
    std::vector<MouseRecord> events;
    std::copy_if(m_records.begin(), m_records.end(), std::back_inserter(events),
                 [](const MouseRecord& r) { return r.kind == MouseRecord::Kind::Event; });
    return events;
}

void SimMouse::Clear() {
    std::lock_guard lock(m_mutex);
    m_records.clear();
}

} // namespace platform
