#pragma once

#include "orient/calibration_run.h"
#include "orient/drawing.h"
#include "orient/orient_texts.h"
#include "orient/verification.h"
#include "platform/canvas.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orient {

enum class OrientStage : std::uint8_t {
    Connecting,
    ChoosingMonitor, // the prompt on one monitor after another until the board is touched
    Collecting,
    Verifying,
    Result,
    NoDriver,
    NoPipe,
    PipeLost,
    SaveFailed,
};

// What a press on a button of the window asks for.
enum ButtonAction : int { kCancel = 1, kFinish, kRedo };

// The error vectors are drawn this many times their length.
inline constexpr int kErrorScale = 10;

// What the calibration window shows, as its controller holds it now.
struct OrientScene {
    OrientStage stage = OrientStage::Connecting;
    const OrientTexts& texts;
    const CalibrationRun& run;
    const Verification* verification = nullptr; // none outside a check
    int width = 0;
    int height = 0;
    std::string_view monitorName; // the monitor the window is on
};

// The buttons on the window at the scene's stage, clear of the targets.
std::vector<Button> SceneButtons(const OrientScene& scene);
// The whole window: the target or cross with what to do, or the result.
void PaintScene(platform::Canvas& canvas, const OrientScene& scene);

} // namespace orient
