#include "driver/pen/function_areas.h"

#include "driver/state/dialog_timers.h"
#include "driver/state/driver_ids.h"

#include <cstdlib>

namespace driver {

namespace {

using function_area::kActions;
using function_area::kAreasPerColumn;
using function_area::Kind;
using function_area::kLeft;
using function_area::kRight;

constexpr int kNoArea = -1;
constexpr std::array<DialogTimer, 2> kTapTimer = {timer::kLeftTaps, timer::kRightTaps};

bool Hits(const Calibration& calibration, int area, BoardPoint point) {
    const ElecButtonPoint& centre = calibration.ElecButtonPoints[static_cast<std::size_t>(area)];
    const std::int64_t tolerance = calibration.ButtonTolerance;
    // 64-bit: centres come from a settings file and may lie anywhere.
    return std::llabs(std::int64_t{point.x} - centre.x) <= tolerance &&
           std::llabs(std::int64_t{point.y} - centre.y) <= tolerance;
}

// j of the first area of the column that point hits.
int FirstHit(const Calibration& calibration, int side, BoardPoint point) {
    const int first = side == kLeft ? kLeftColumnFirst : kRightColumnFirst;
    for (int j = 0; j < kAreasPerColumn; ++j) {
        if (Hits(calibration, first + j, point)) {
            return j;
        }
    }
    return kNoArea;
}

struct ColumnHit {
    int side = kLeft;
    int j = kNoArea;
};

} // namespace

TouchRoute FunctionAreas::RouteFirstPenTouch(BoardPoint point) {
    const bool dualPen = m_state.dualPenMode.load() != 0;
    const ColumnHit hit = m_calibration.Read([&](const Calibration& c) {
        if (point.x < c.PenAreaLeft) {
            return ColumnHit{kLeft, FirstHit(c, kLeft, point)};
        }
        // In dual-pen mode the right column belongs to the second pen.
        if (point.x > c.PenAreaRight && !dualPen) {
            return ColumnHit{kRight, FirstHit(c, kRight, point)};
        }
        return ColumnHit{};
    });
    if (hit.j == kNoArea) {
        return TouchRoute::Write;
    }
    Fire(hit.side, hit.j, Pen::First);
    return TouchRoute::Consumed;
}

TouchRoute FunctionAreas::RouteSecondPenTouch(BoardPoint point) {
    const bool dualPen = m_state.dualPenMode.load() != 0;
    const ColumnHit hit = m_calibration.Read([&](const Calibration& c) {
        if (point.x < c.PenAreaLeft) {
            // In dual-pen mode the left column belongs to the first pen.
            return dualPen ? ColumnHit{} : ColumnHit{kLeft, FirstHit(c, kLeft, point)};
        }
        if (point.x > c.PenAreaRight) {
            return ColumnHit{kRight, FirstHit(c, kRight, point)};
        }
        return ColumnHit{};
    });
    if (hit.j == kNoArea) {
        return TouchRoute::Write;
    }
    Fire(hit.side, hit.j, Pen::Second);
    return TouchRoute::Consumed;
}

bool FunctionAreas::HitsOrientationArea(BoardPoint point) const {
    return m_calibration.Read([&](const Calibration& c) {
        return Hits(c, kLeftColumnFirst + function_area::kOrientationArea, point) ||
               Hits(c, kRightColumnFirst + function_area::kOrientationArea, point);
    });
}

void FunctionAreas::Fire(int side, int j, Pen pen) {
    const function_area::Action& action = kActions[static_cast<std::size_t>(j)];
    switch (action.kind) {
    case Kind::Command:
        if (m_state.commandArmed.exchange(0) != 0) {
            Post(side, j, action.code);
            m_dialog.StartDialogTimer(timer::kCommandRearm);
        }
        break;
    case Kind::GatedCommand:
        if (m_state.commandArmed.exchange(0) != 0) {
            if (m_state.codePermitted.load() != 0) {
                Post(side, j, action.code);
            } else {
                m_companion.LookUp();
            }
            m_dialog.StartDialogTimer(timer::kCommandRearm);
        } else if (side == kRight) {
            // A pen resting on area 27 keeps every command area locked.
            m_dialog.StartDialogTimer(timer::kCommandRearm);
        }
        break;
    case Kind::Orientation:
        if (m_state.commandArmed.exchange(0) != 0) {
            m_orientation.StartOrientation();
            m_dialog.StartDialogTimer(timer::kCommandRearm);
        }
        break;
    case Kind::Tap: {
        std::atomic<int>& tapArmed = side == kLeft ? m_state.leftTapArmed : m_state.rightTapArmed;
        if (tapArmed.exchange(0) != 0) {
            const bool secondPenRight = pen == Pen::Second && side == kRight;
            m_dialog.StartDialogTimer(secondPenRight ? timer::kSecondPenRearm
                                                     : timer::kCommandRearm);
            StartTapTimerOnFirstCount(side, action.counter);
        }
        break;
    }
    }
}

void FunctionAreas::OnBoardKey(std::uint8_t status) {
    const bool left = status >= pen_status::kLeftKeyFirst && status <= pen_status::kLeftKeyLast;
    const bool right = status >= pen_status::kRightKeyFirst && status <= pen_status::kRightKeyLast;
    if (!left && !right) {
        return;
    }
    const int side = left ? kLeft : kRight;
    const auto& statuses = function_area::kKeyStatuses[static_cast<std::size_t>(side)];
    for (int j = 0; j < kAreasPerColumn; ++j) {
        if (statuses[static_cast<std::size_t>(j)] != status) {
            continue;
        }
        const function_area::Action& action = kActions[static_cast<std::size_t>(j)];
        switch (action.kind) {
        case Kind::Command:
            m_companion.PostFresh(contract::companion::kNotice, action.code,
                                  function_area::kSideLParam[static_cast<std::size_t>(side)]);
            break;
        case Kind::GatedCommand:
            // Both keys send the left side's value, and the gate is not asked.
            m_companion.PostFresh(contract::companion::kNotice, action.code,
                                  function_area::kSideLParam[kLeft]);
            break;
        case Kind::Orientation:
            m_orientation.StartOrientation();
            break;
        case Kind::Tap:
            StartTapTimerOnFirstCount(side, action.counter);
            break;
        }
        return;
    }
}

void FunctionAreas::Post(int side, int j, std::uint16_t code) {
    const function_area::Action& action = kActions[static_cast<std::size_t>(j)];
    const auto s = static_cast<std::size_t>(side);
    if (action.postsToStoredHandle[s]) {
        m_companion.PostStored(contract::companion::kNotice, code, function_area::kSideLParam[s]);
    } else {
        m_companion.PostFresh(contract::companion::kNotice, code, function_area::kSideLParam[s]);
    }
}

void FunctionAreas::StartTapTimerOnFirstCount(int side, int counter) {
    const auto s = static_cast<std::size_t>(side);
    // The dialog thread clears the counters; the count that was there before
    // this tap decides, read and raised in one step.
    if (m_state.tapCount[s][static_cast<std::size_t>(counter)].fetch_add(1) == 0) {
        m_dialog.StartDialogTimer(kTapTimer[s]);
    }
}

} // namespace driver
