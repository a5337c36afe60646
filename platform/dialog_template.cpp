#include "platform/dialog_template.h"

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

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::uint32_t code = 0xFFFD;
        std::size_t length = 1;
        if (lead < 0x80) {
            code = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
        }
        if (length > 1) {
            bool valid = i + length <= text.size();
            std::uint32_t value = lead & (0x7Fu >> length);
            for (std::size_t k = 1; valid && k < length; ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                valid = (next & 0xC0) == 0x80;
                value = (value << 6) | (next & 0x3Fu);
            }
            const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
            valid = valid && value >= smallest[length] && value <= 0x10FFFF &&
                    (value < 0xD800 || value > 0xDFFF);
            if (valid) {
                code = value;
            } else {
                length = 1; // resynchronise on the next byte
            }
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

} // namespace platform
