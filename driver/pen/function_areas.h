#pragma once

#include "driver/ipc/companion_window.h"
#include "driver/pen/pen_frame.h"
#include "driver/pointer/calibration_store.h"
#include "driver/pointer/orientation_launcher.h"
#include "driver/state/dialog_requests.h"
#include "driver/state/driver_state.h"

#include <array>
#include <cstdint>

namespace driver {

// What the areas leave to the caller.
enum class TouchRoute {
    Consumed, // an area took the sample, armed or not
    Write,    // the caller writes it: OnPenPoint or a screen frame
};

namespace function_area {

inline constexpr int kLeft = 0;
inline constexpr int kRight = 1;
inline constexpr int kAreasPerColumn = 14;
inline constexpr int kTapCounters = 6;
inline constexpr int kOrientationArea = 12; // j of the areas that toggle calibration

enum class Kind : std::uint8_t { Command, GatedCommand, Orientation, Tap };

// One row per area index j, the same for both columns.
struct Action {
    Kind kind;
    std::uint16_t code;          // wParam of 0x7F2; 0 for orientation
    std::uint16_t doubleTapCode; // taps only: sent before code on a double tap
    std::int8_t counter;         // taps only: index into the side's tapCount; else -1
    // Per side: post to the handle of the last look-up, not a fresh one.
    std::array<bool, 2> postsToStoredHandle;
};

inline constexpr std::array<Action, kAreasPerColumn> kActions = {{
    {Kind::Command, 25, 0, -1, {false, true}},
    {Kind::Command, 32, 0, -1, {false, true}},
    {Kind::Command, 23, 0, -1, {true, false}},
    {Kind::Command, 24, 0, -1, {false, true}},
    {Kind::Tap, 17, 273, 0, {false, false}},
    {Kind::Tap, 18, 274, 1, {false, false}},
    {Kind::Tap, 19, 275, 2, {false, false}},
    {Kind::Tap, 20, 276, 3, {false, false}},
    {Kind::Tap, 21, 277, 4, {false, false}},
    {Kind::Tap, 22, 266, 5, {false, false}},
    {Kind::Command, 48, 0, -1, {false, false}},
    {Kind::Command, 49, 0, -1, {true, false}},
    {Kind::Orientation, 0, 0, -1, {false, false}},
    {Kind::GatedCommand, 33, 0, -1, {false, false}},
}};

// The key statuses the board sends for area j of each side.
inline constexpr std::array<std::array<std::uint8_t, kAreasPerColumn>, 2> kKeyStatuses = {{
    {0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9},
    {0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9},
}};

inline constexpr std::array<platform::LParam, 2> kSideLParam = {0, 2};

} // namespace function_area

// The function keys beside the writing area, touched with a pen or reported
// by the board. Runs on the reader thread; the flags and counters it shares
// with the dialog thread live in DriverState.
class FunctionAreas {
public:
    FunctionAreas(DriverState& state, const CalibrationStore& calibration,
                  CompanionWindow& companion, DialogRequests& dialog,
                  OrientationLauncher& orientation)
        : m_state(state), m_calibration(calibration), m_companion(companion), m_dialog(dialog),
          m_orientation(orientation) {}

    TouchRoute RouteFirstPenTouch(BoardPoint point);
    TouchRoute RouteSecondPenTouch(BoardPoint point);
    // Statuses 0xD2-0xDF (left) and 0xF2-0xFF (right); others are ignored.
    void OnBoardKey(std::uint8_t status);
    // The two orientation areas, for the reader's orientation mode.
    bool HitsOrientationArea(BoardPoint point) const;

private:
    enum class Pen { First, Second };

    void Fire(int side, int j, Pen pen);
    void Post(int side, int j, std::uint16_t code);
    void StartTapTimerOnFirstCount(int side, int counter);

    DriverState& m_state;
    const CalibrationStore& m_calibration;
    CompanionWindow& m_companion;
    DialogRequests& m_dialog;
    OrientationLauncher& m_orientation;
};

} // namespace driver
