#include "orient/orient_log.h"

#include "common/program_contract.h"
#include "common/settings_location.h"
#include "driver/settings/diagnostics.h"
#include "orient/orient_texts.h"

#include <cmath>

namespace orient {

namespace {

std::string PointText(platform::Point point) {
    return std::to_string(point.x) + "," + std::to_string(point.y);
}

} // namespace

void OrientLog::Open(platform::ProfilePort& profile, const std::string& settingsPath) {
    m_file.SetPath({});
    if (settingsPath.empty() ||
        profile.GetInt(contract::settings_file::kDiagnosticsSection,
                       contract::settings_file::kLogFileKey, 0, settingsPath) == 0) {
        return;
    }
    m_file.SetPath(common::PathInFolder(common::FolderOf(settingsPath, m_files),
                                        contract::log_file::kOrient, m_files));
}

void OrientLog::Write(std::string_view line) {
    if (!m_file.Path().empty()) {
        m_file.Append(platform::BoundedLog::Stamped(m_clock.TickCount(), line));
    }
}

void OrientLog::Grid(GridLayout layout, int width, int height) {
    Write("grid " + std::to_string(layout.columns) + " x " + std::to_string(layout.rows) + " on " +
          std::to_string(width) + " x " + std::to_string(height));
}

void OrientLog::Target(int step, int steps, platform::Point pixel) {
    Write("target " + std::to_string(step) + "/" + std::to_string(steps) + " at " +
          PointText(pixel));
}

void OrientLog::Contact(const ContactResult& contact, ContactVerdict verdict) {
    Write("contact " + std::to_string(contact.frames) + " frames spread " +
          std::to_string(contact.spread) + ": " + std::string(LogWord(verdict)) + " " +
          OneDecimal(contact.point.x) + "," + OneDecimal(contact.point.y));
}

void OrientLog::Check(int cross, platform::Point at) {
    Write("check " + std::to_string(cross) + "/" + std::to_string(Verification::kCrossCount) +
          " at " + PointText(at));
}

void OrientLog::Press(int pressed, platform::Point at, platform::Point cross) {
    Write("press " + std::to_string(pressed) + " at " + PointText(at) + " error " +
          OneDecimal(std::hypot(at.x - cross.x, at.y - cross.y)));
}

void OrientLog::CheckResult(const Residual& residual) {
    Write("residual mean " + OneDecimal(residual.mean) + " max " + OneDecimal(residual.largest) +
          " px");
}

void OrientLog::Again(GridIndex target) {
    Write("again target " + std::to_string(target.column) + "," + std::to_string(target.row));
}

} // namespace orient
