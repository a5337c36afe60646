#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Predefined control classes of the dialog manager, by their atoms.
enum class ControlClass : std::uint16_t {
    Button = 0x0080,
    Edit = 0x0081,
    Static = 0x0082,
    ListBox = 0x0083,
    ComboBox = 0x0085,
};

struct ControlTemplate {
    int id = 0;
    ControlClass controlClass = ControlClass::Static;
    std::string className; // a registered class such as "ComboBoxEx32"; wins when set
    std::string text;      // UTF-8
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t cx = 0;
    std::int16_t cy = 0;
};

// A dialog described once, as data: the Windows side builds an extended
// dialog template from it, the simulated desktop its windows and controls.
struct DialogTemplate {
    int resourceId = 0;
    std::string caption; // UTF-8
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t cx = 0;
    std::int16_t cy = 0;
    std::uint16_t pointSize = 8;
    std::uint16_t weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t charset = 1; // DEFAULT_CHARSET
    std::string fontFace = "MS Shell Dlg";
    std::vector<ControlTemplate> controls;
};

// The extended template (DLGTEMPLATEEX) as little-endian WORDs, items
// aligned on DWORD boundaries, texts in UTF-16.
std::vector<std::uint16_t> BuildExtendedTemplate(const DialogTemplate& dialog);

} // namespace platform
