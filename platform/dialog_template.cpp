#include "platform/dialog_template.h"

#include "platform/text_encoding.h"

namespace platform {
namespace {

class TemplateWriter {
public:
    void Word(std::uint16_t value) { m_words.push_back(value); }
    void Dword(std::uint32_t value) {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    void Short(std::int16_t value) { Word(static_cast<std::uint16_t>(value)); }
    void Text(const std::string& utf8) {
        for (const char16_t unit : Utf8ToUtf16(utf8)) {
            Word(static_cast<std::uint16_t>(unit));
        }
        Word(0);
    }
    void AlignDword() {
        if (m_words.size() % 2 != 0) {
            Word(0);
        }
    }
    std::vector<std::uint16_t> Take() { return std::move(m_words); }

private:
    std::vector<std::uint16_t> m_words;
};

constexpr std::uint32_t kSetFont = 0x0040;

} // namespace

std::vector<std::uint16_t> BuildExtendedTemplate(const DialogTemplate& dialog) {
    TemplateWriter out;
    out.Word(1);      // dlgVer
    out.Word(0xFFFF); // signature of the extended form
    out.Dword(0);     // helpID
    out.Dword(dialog.exStyle);
    out.Dword(dialog.style);
    out.Word(static_cast<std::uint16_t>(dialog.controls.size()));
    out.Short(dialog.x);
    out.Short(dialog.y);
    out.Short(dialog.cx);
    out.Short(dialog.cy);
    out.Word(0); // no menu
    out.Word(0); // the standard dialog class
    out.Text(dialog.caption);
    if ((dialog.style & kSetFont) != 0) {
        out.Word(dialog.pointSize);
        out.Word(dialog.weight);
        out.Word(static_cast<std::uint16_t>(dialog.italic | (dialog.charset << 8)));
        out.Text(dialog.fontFace);
    }
    for (const ControlTemplate& control : dialog.controls) {
        out.AlignDword();
        out.Dword(0); // helpID
        out.Dword(control.exStyle);
        out.Dword(control.style);
        out.Short(control.x);
        out.Short(control.y);
        out.Short(control.cx);
        out.Short(control.cy);
        out.Dword(static_cast<std::uint32_t>(control.id));
        if (control.className.empty()) {
            out.Word(0xFFFF);
            out.Word(static_cast<std::uint16_t>(control.controlClass));
        } else {
            out.Text(control.className);
        }
        out.Text(control.text);
        out.Word(0); // no creation data
    }
    return out.Take();
}

} // namespace platform
