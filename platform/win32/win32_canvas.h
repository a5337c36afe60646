#pragma once

#include <windows.h>

#include "platform/canvas.h"

#include <map>

namespace platform {

// GDI drawing into a device context, usually a bitmap that is copied to the
// window at once, so a full-screen repaint does not flicker.
class Win32Canvas final : public Canvas {
public:
    Win32Canvas(HDC dc, int width, int height) : m_dc(dc), m_width(width), m_height(height) {}
    ~Win32Canvas() override;
    Win32Canvas(const Win32Canvas&) = delete;
    Win32Canvas& operator=(const Win32Canvas&) = delete;

    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void Fill(Rect area, Colour colour) override;
    void Line(Point from, Point to, Colour colour, int width) override;
    void Circle(Point centre, int radius, Colour colour, int width) override;
    void Text(Rect box, std::string_view text, Colour colour, int pixelHeight,
              TextAlign align) override;

private:
    HFONT FontOf(int pixelHeight);

    HDC m_dc;
    int m_width;
    int m_height;
    std::map<int, HFONT> m_fonts;
};

} // namespace platform
