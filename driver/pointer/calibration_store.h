#pragma once

#include "driver/pointer/calibration.h"

#include <mutex>
#include <utility>

namespace driver {

// The one calibration of the process. The dialog thread publishes a whole
// new calibration; the reader thread reads under the same lock, so it never
// sees a grid half rewritten. Nothing here allocates.
class CalibrationStore {
public:
    Calibration Snapshot() const {
        std::lock_guard lock(m_mutex);
        return m_current;
    }

    void Publish(const Calibration& calibration) {
        std::lock_guard lock(m_mutex);
        m_current = calibration;
    }

    // Runs reader on the current calibration while holding the lock; keep
    // it short and free of callbacks into the store.
    template <typename Reader> decltype(auto) Read(Reader&& reader) const {
        std::lock_guard lock(m_mutex);
        return std::forward<Reader>(reader)(std::as_const(m_current));
    }

private:
    mutable std::mutex m_mutex;
    Calibration m_current;
};

} // namespace driver
