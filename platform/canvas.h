#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Right and bottom are outside the rectangle, as the window system counts them.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(Point point) const {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class TextAlign : std::uint8_t { Left, Centre };

// Drawing on a window's client area, in its pixels; texts are UTF-8.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Fill(Rect area, Colour colour) = 0;
    virtual void Line(Point from, Point to, Colour colour, int width) = 0;
    // The outline only.
    virtual void Circle(Point centre, int radius, Colour colour, int width) = 0;
    // Wrapped at word or character boundaries to fit the box's width.
    virtual void Text(Rect box, std::string_view text, Colour colour, int pixelHeight,
                      TextAlign align) = 0;
};

} // namespace platform
