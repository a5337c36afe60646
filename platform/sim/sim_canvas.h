#pragma once

#include "platform/canvas.h"

#include <string>
#include <vector>

namespace platform {

// One thing drawn, as a test reads it back.
struct DrawnShape {
    enum class Kind : std::uint8_t { Fill, Line, Circle, Text };

    Kind kind = Kind::Fill;
    Rect box;       // Fill and Text
    Point from;     // Line; the centre of a Circle
    Point to;       // Line
    int radius = 0; // Circle
    int width = 0;  // Line and Circle: the pen's width
    int height = 0; // Text: the pixel height
    Colour colour;
    std::string text;
    TextAlign align = TextAlign::Left;
};

// A canvas that keeps what is drawn on it, in order.
class SimCanvas final : public Canvas {
public:
    SimCanvas(int width, int height) : m_width(width), m_height(height) {}

    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void Fill(Rect area, Colour colour) override {
        DrawnShape shape;
        shape.kind = DrawnShape::Kind::Fill;
        shape.box = area;
        shape.colour = colour;
        m_shapes.push_back(std::move(shape));
    }
    void Line(Point from, Point to, Colour colour, int width) override {
        DrawnShape shape;
        shape.kind = DrawnShape::Kind::Line;
        shape.from = from;
        shape.to = to;
        shape.colour = colour;
        shape.width = width;
        m_shapes.push_back(std::move(shape));
    }
    void Circle(Point centre, int radius, Colour colour, int width) override {
        DrawnShape shape;
        shape.kind = DrawnShape::Kind::Circle;
        shape.from = centre;
        shape.radius = radius;
        shape.colour = colour;
        shape.width = width;
        m_shapes.push_back(std::move(shape));
    }
    void Text(Rect box, std::string_view text, Colour colour, int pixelHeight,
              TextAlign align) override {
        DrawnShape shape;
        shape.kind = DrawnShape::Kind::Text;
        shape.box = box;
        shape.text = std::string(text);
        shape.colour = colour;
        shape.height = pixelHeight;
        shape.align = align;
        m_shapes.push_back(std::move(shape));
    }

    std::vector<DrawnShape> TakeShapes() { return std::move(m_shapes); }

private:
    int m_width;
    int m_height;
    std::vector<DrawnShape> m_shapes;
};

} // namespace platform
