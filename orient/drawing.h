#pragma once

#include "platform/canvas.h"

#include <string>
#include <string_view>
#include <vector>

namespace orient {

namespace colour {
inline constexpr platform::Colour kBackground{255, 255, 255};
inline constexpr platform::Colour kText{32, 32, 32};
inline constexpr platform::Colour kTarget{208, 0, 0};
inline constexpr platform::Colour kHint{200, 60, 0};
inline constexpr platform::Colour kFaint{160, 160, 160};
inline constexpr platform::Colour kButton{225, 232, 242};
inline constexpr platform::Colour kError{0, 96, 208};
} // namespace colour

// Half the length of a cross's bar, in pixels.
inline constexpr int kCrossArm = 30;

// A place on the window that a press (a click, or the pen once the driver
// moves the pointer) works like a button.
struct Button {
    int action = 0;
    platform::Rect area;
    std::string label;
};

// Centred on the pixel centre; width is the bars' thickness, best odd.
void DrawCross(platform::Canvas& canvas, platform::Point centre, platform::Colour colour,
               int arm = kCrossArm, int width = 3);
void DrawButton(platform::Canvas& canvas, const Button& button);
// Lines of text, centred, one under the other from top; "" lines are skipped.
void DrawLines(platform::Canvas& canvas, int top,
               const std::vector<std::pair<std::string_view, platform::Colour>>& lines,
               int pixelHeight);

} // namespace orient
