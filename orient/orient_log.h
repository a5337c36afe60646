#pragma once

#include "orient/contact.h"
#include "orient/grid_layout.h"
#include "orient/verification.h"
#include "platform/bounded_log.h"
#include "platform/canvas.h"
#include "platform/clock_port.h"
#include "platform/files_port.h"
#include "platform/profile_port.h"

#include <string>
#include <string_view>

namespace orient {

// What a calibration did, a line per step ("target 2/9 at 960,108",
// "contact 14 frames spread 6: taken 8204,1991", "residual mean 0.8 max
// 1.4"), in Orient.log beside the settings file, when that file asks the
// driver for its log ("LOG_FILE" = 1 in section "DIAGNOSTICS"). Kept under
// kMaxFileBytes by moving a full file aside to "Orient.log.old".
class OrientLog {
public:
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{256} * 1024;

    OrientLog(platform::FilesPort& files, platform::ClockPort& clock)
        : m_files(files), m_clock(clock), m_file(files, kMaxFileBytes) {}

    void Open(platform::ProfilePort& profile, const std::string& settingsPath);
    void Write(std::string_view line);

    // The lines of the steps, in the words the end-to-end runs read back.
    void Grid(GridLayout layout, int width, int height);
    void Target(int step, int steps, platform::Point pixel);
    void Contact(const ContactResult& contact, ContactVerdict verdict);
    void Check(int cross, platform::Point at);
    void Press(int pressed, platform::Point at, platform::Point cross);
    void CheckResult(const Residual& residual);
    void Again(GridIndex target);

private:
    platform::FilesPort& m_files;
    platform::ClockPort& m_clock;
    platform::BoundedLog m_file;
};

} // namespace orient
