#include "orient/drawing.h"

#include <algorithm>

namespace orient {

void DrawCross(platform::Canvas& canvas, platform::Point centre, platform::Colour colour, int arm,
               int width) {
    // Bars of an odd width, so that the cross's middle is the pixel's centre.
    const int half = width / 2;
    canvas.Fill({centre.x - arm, centre.y - half, centre.x + arm + 1, centre.y + half + 1}, colour);
    canvas.Fill({centre.x - half, centre.y - arm, centre.x + half + 1, centre.y + arm + 1}, colour);
    canvas.Circle(centre, arm / 4, colour, std::max(width - 1, 1));
}

void DrawButton(platform::Canvas& canvas, const Button& button) {
    const platform::Rect& area = button.area;
    canvas.Fill(area, colour::kButton);
    const platform::Point corners[] = {{area.left, area.top},
                                       {area.right - 1, area.top},
                                       {area.right - 1, area.bottom - 1},
                                       {area.left, area.bottom - 1}};
    for (int i = 0; i < 4; ++i) {
        canvas.Line(corners[i], corners[(i + 1) % 4], colour::kFaint, 1);
    }
    const int textHeight = (area.bottom - area.top) / 2;
    const int top = area.top + (area.bottom - area.top - textHeight) / 2 - 2;
    canvas.Text({area.left, top, area.right, area.bottom}, button.label, colour::kText, textHeight,
                platform::TextAlign::Centre);
}

void DrawLines(platform::Canvas& canvas, int top,
               const std::vector<std::pair<std::string_view, platform::Colour>>& lines,
               int pixelHeight) {
    const int margin = canvas.Width() / 10;
    for (const auto& [text, colour] : lines) {
        if (text.empty()) {
            continue;
        }
        // Room for a second line where the text wraps.
        canvas.Text({margin, top, canvas.Width() - margin, top + 3 * pixelHeight}, text, colour,
                    pixelHeight, platform::TextAlign::Centre);
        top += pixelHeight * 3 / 2;
    }
}

} // namespace orient
