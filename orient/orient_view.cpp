#include "orient/orient_view.h"

#include "orient/target_points.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace orient {

using namespace platform;

namespace {

int TextHeight(int screenHeight) {
    return std::max(16, screenHeight / 36);
}

// Text above a target in the lower half, below one in the upper half.
int TextTop(Point target, int screenHeight) {
    return target.y < screenHeight / 2 ? screenHeight * 3 / 5 : screenHeight / 6;
}

void PaintCollecting(Canvas& canvas, const OrientScene& scene) {
    const auto target = scene.run.Current();
    if (!target) {
        return;
    }
    const OrientTexts& texts = scene.texts;
    const Point pixel = TargetPixel(scene.run.Grid().Layout(), *target, scene.width, scene.height);
    DrawCross(canvas, pixel, colour::kTarget);
    const std::string progress = FillIn(
        texts.progress, {std::to_string(scene.run.Step()), std::to_string(scene.run.Steps())});
    DrawLines(canvas, TextTop(pixel, scene.height),
              {{progress, colour::kText},
               {texts.touchTarget, colour::kText},
               {Hint(texts, scene.run.LastVerdict()), colour::kHint},
               {texts.escape, colour::kFaint}},
              TextHeight(scene.height));
}

void PaintVerifying(Canvas& canvas, const OrientScene& scene) {
    const Verification* verification = scene.verification;
    const auto cross = verification ? verification->Current() : std::nullopt;
    if (!cross) {
        return;
    }
    DrawCross(canvas, *cross, colour::kTarget);
    const std::string progress =
        FillIn(scene.texts.verifyProgress, {std::to_string(verification->Pressed() + 1),
                                            std::to_string(Verification::kCrossCount)});
    DrawLines(canvas, TextTop(*cross, scene.height),
              {{progress, colour::kText}, {scene.texts.verify, colour::kText}},
              TextHeight(scene.height));
}

void PaintResult(Canvas& canvas, const OrientScene& scene) {
    const Verification* verification = scene.verification;
    if (!verification) {
        return;
    }
    const Residual residual = verification->Result();
    const std::string result =
        FillIn(scene.texts.result, {OneDecimal(residual.mean), OneDecimal(residual.largest)});
    const std::string scale = FillIn(scene.texts.scale, {std::to_string(kErrorScale)});
    DrawLines(canvas, scene.height / 30, {{result, colour::kText}, {scale, colour::kFaint}},
              TextHeight(scene.height));
    for (int k = 0; k < verification->Pressed(); ++k) {
        const Point cross = verification->Cross(k);
        const Point press = verification->PressOf(k);
        const Point end{cross.x + kErrorScale * (press.x - cross.x),
                        cross.y + kErrorScale * (press.y - cross.y)};
        DrawCross(canvas, cross, colour::kFaint, kCrossArm / 2, 1);
        canvas.Line(cross, end, colour::kError, k == residual.worst ? 4 : 2);
        canvas.Circle(end, 5, colour::kError, 2);
    }
}

void PaintMessage(Canvas& canvas, const OrientScene& scene, std::string_view text) {
    std::string_view escape;
    if (scene.stage == OrientStage::Connecting || scene.stage == OrientStage::ChoosingMonitor) {
        escape = scene.texts.escape;
    }
    DrawLines(canvas, scene.height * 2 / 5, {{text, colour::kText}, {escape, colour::kFaint}},
              TextHeight(scene.height));
}

// Large, as it must be read from across the room; the monitor's name is for
// a technician who wants to give it on the command line next time.
void PaintMonitorPrompt(Canvas& canvas, const OrientScene& scene) {
    const int large = 2 * TextHeight(scene.height);
    DrawLines(canvas, scene.height / 3, {{scene.texts.chooseMonitor, colour::kText}}, large);
    DrawLines(canvas, scene.height / 3 + 3 * large,
              {{scene.monitorName, colour::kFaint}, {scene.texts.escape, colour::kFaint}},
              TextHeight(scene.height));
}

} // namespace

std::vector<Button> SceneButtons(const OrientScene& scene) {
    const int height = std::max(36, scene.height / 20);
    const int width = std::max(160, scene.width / 7);
    const int top = scene.height - height - height / 3;
    // Between the grid's columns in every layout, below its last row.
    const auto at = [&](double centre, ButtonAction action, const std::string& label) {
        const int left = static_cast<int>(centre * scene.width) - width / 2;
        return Button{action, {left, top, left + width, top + height}, label};
    };
    const OrientTexts& texts = scene.texts;
    switch (scene.stage) {
    case OrientStage::Connecting:
    case OrientStage::ChoosingMonitor:
    case OrientStage::Collecting:
        return {at(0.8, kCancel, texts.cancel)};
    case OrientStage::Verifying:
        return {at(0.8, kFinish, texts.finish)};
    case OrientStage::Result:
        return {at(0.6, kRedo, texts.redo), at(0.8, kFinish, texts.finish)};
    case OrientStage::NoDriver:
    case OrientStage::NoPipe:
    case OrientStage::PipeLost:
    case OrientStage::SaveFailed:
        return {at(0.5, kCancel, texts.exit)};
    }
    return {};
}

void PaintScene(Canvas& canvas, const OrientScene& scene) {
    canvas.Fill({0, 0, canvas.Width(), canvas.Height()}, colour::kBackground);
    const OrientTexts& texts = scene.texts;
    switch (scene.stage) {
    case OrientStage::Connecting:
        PaintMessage(canvas, scene, texts.connecting);
        break;
    case OrientStage::ChoosingMonitor:
        PaintMonitorPrompt(canvas, scene);
        break;
    case OrientStage::Collecting:
        PaintCollecting(canvas, scene);
        break;
    case OrientStage::Verifying:
        PaintVerifying(canvas, scene);
        break;
    case OrientStage::Result:
        PaintResult(canvas, scene);
        break;
    case OrientStage::NoDriver:
        PaintMessage(canvas, scene, texts.noDriver);
        break;
    case OrientStage::NoPipe:
        PaintMessage(canvas, scene, texts.noPipe);
        break;
    case OrientStage::PipeLost:
        PaintMessage(canvas, scene, texts.pipeLost);
        break;
    case OrientStage::SaveFailed:
        PaintMessage(canvas, scene, texts.saveFailed);
        break;
    }
    for (const Button& button : SceneButtons(scene)) {
        DrawButton(canvas, button);
    }
}

} // namespace orient
