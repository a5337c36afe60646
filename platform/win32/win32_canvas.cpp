#include "platform/win32/win32_canvas.h"

#include "platform/win32/win32_text.h"

namespace platform {
namespace {

COLORREF Ref(Colour colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

// A face with the Chinese glyphs where Windows has it; font linking fills
// in the rest elsewhere.
constexpr const wchar_t* kFace = L"Microsoft YaHei";

} // namespace

Win32Canvas::~Win32Canvas() {
    for (const auto& [height, font] : m_fonts) {
        ::DeleteObject(font);
    }
}

void Win32Canvas::Fill(Rect area, Colour colour) {
    const RECT rect{area.left, area.top, area.right, area.bottom};
    const HBRUSH brush = ::CreateSolidBrush(Ref(colour));
    ::FillRect(m_dc, &rect, brush);
    ::DeleteObject(brush);
}

void Win32Canvas::Line(Point from, Point to, Colour colour, int width) {
    const HPEN pen = ::CreatePen(PS_SOLID, width, Ref(colour));
    const HGDIOBJ old = ::SelectObject(m_dc, pen);
    ::MoveToEx(m_dc, from.x, from.y, nullptr);
    ::LineTo(m_dc, to.x, to.y);
    ::SelectObject(m_dc, old);
    ::DeleteObject(pen);
}

void Win32Canvas::Circle(Point centre, int radius, Colour colour, int width) {
    const HPEN pen = ::CreatePen(PS_SOLID, width, Ref(colour));
    const HGDIOBJ oldPen = ::SelectObject(m_dc, pen);
    const HGDIOBJ oldBrush = ::SelectObject(m_dc, ::GetStockObject(NULL_BRUSH));
    ::Ellipse(m_dc, centre.x - radius, centre.y - radius, centre.x + radius + 1,
              centre.y + radius + 1);
    ::SelectObject(m_dc, oldBrush);
    ::SelectObject(m_dc, oldPen);
    ::DeleteObject(pen);
}

void Win32Canvas::Text(Rect box, std::string_view text, Colour colour, int pixelHeight,
                       TextAlign align) {
    std::wstring wide = Wide(text);
    RECT rect{box.left, box.top, box.right, box.bottom};
    const HGDIOBJ old = ::SelectObject(m_dc, FontOf(pixelHeight));
    ::SetBkMode(m_dc, TRANSPARENT);
    ::SetTextColor(m_dc, Ref(colour));
    const UINT format =
        DT_WORDBREAK | DT_NOPREFIX | (align == TextAlign::Centre ? DT_CENTER : DT_LEFT);
    ::DrawTextW(m_dc, wide.c_str(), static_cast<int>(wide.size()), &rect, format);
    ::SelectObject(m_dc, old);
}

HFONT Win32Canvas::FontOf(int pixelHeight) {
    const auto found = m_fonts.find(pixelHeight);
    if (found != m_fonts.end()) {
        return found->second;
    }
    // A negative height asks for the characters' own height, not the cell's.
    const HFONT font = ::CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, kFace);
    m_fonts.emplace(pixelHeight, font);
    return font;
}

} // namespace platform
