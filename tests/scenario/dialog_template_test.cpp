#include "common/program_contract.h"
#include "driver/app/dravik_dialog_template.h"
#include "platform/dialog_template.h"
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

std::uint32_t DwordAt(const std::vector<std::uint16_t>& words, std::size_t index) {
    return words[index] | (static_cast<std::uint32_t>(words[index + 1]) << 16);
}

// Reads a NUL-terminated UTF-16 string starting at index; moves index past it.
std::string TextAt(const std::vector<std::uint16_t>& words, std::size_t& index) {
    std::u16string text;
    while (words.at(index) != 0) {
        text.push_back(static_cast<char16_t>(words[index++]));
    }
    ++index;
    return Utf16ToUtf8(text);
}

TEST(ExtendedTemplate, DriverDialogLayout) {
    const DialogTemplate& dialog = driver::DravikDialogTemplate();
    const std::vector<std::uint16_t> words = BuildExtendedTemplate(dialog);
    EXPECT_EQ(words[0], 1);                    // dlgVer
    EXPECT_EQ(words[1], 0xFFFF);               // extended form
    EXPECT_EQ(DwordAt(words, 4), 0x00040000U); // WS_EX_APPWINDOW
    EXPECT_EQ(DwordAt(words, 6), 0x90C000C8U); // popup visible caption modal setfont fixedsys
    EXPECT_EQ(words[8], 3);                    // controls
    EXPECT_EQ(words[11], 254);
    EXPECT_EQ(words[12], 102);
    EXPECT_EQ(words[13], 0); // no menu
    EXPECT_EQ(words[14], 0); // standard class
    std::size_t at = 15;
    EXPECT_EQ(TextAt(words, at), contract::driver_window::kTitle);
    EXPECT_EQ(words[at++], 8);   // point size
    EXPECT_EQ(words[at++], 400); // weight
    EXPECT_EQ(words[at++], 134 << 8);
    EXPECT_EQ(TextAt(words, at), "MS Shell Dlg");

    struct Expected {
        int id;
        std::uint16_t atom;
        std::string text;
        std::int16_t x, y, cx, cy;
    };
    const Expected controls[] = {{1, 0x80, "启用双笔", 7, 7, 50, 16},
                                 {2, 0x80, "退出", 7, 23, 50, 16},
                                 {1000, 0x81, "", 85, 25, 130, 23}};
    for (const Expected& control : controls) {
        at += at % 2; // items start on DWORD boundaries
        EXPECT_EQ(DwordAt(words, at + 4) & 0x10000000U, 0x10000000U) << control.id; // visible
        EXPECT_EQ(static_cast<std::int16_t>(words[at + 6]), control.x) << control.id;
        EXPECT_EQ(static_cast<std::int16_t>(words[at + 7]), control.y) << control.id;
        EXPECT_EQ(static_cast<std::int16_t>(words[at + 8]), control.cx) << control.id;
        EXPECT_EQ(static_cast<std::int16_t>(words[at + 9]), control.cy) << control.id;
        EXPECT_EQ(DwordAt(words, at + 10), static_cast<std::uint32_t>(control.id));
        EXPECT_EQ(words[at + 12], 0xFFFF);
        EXPECT_EQ(words[at + 13], control.atom) << control.id;
        at += 14;
        EXPECT_EQ(TextAt(words, at), control.text);
        EXPECT_EQ(words[at++], 0) << "creation data";
    }
    EXPECT_EQ(at, words.size());
}

TEST(ExtendedTemplate, NamedClassAndNoFontBlockWithoutSetFont) {
    DialogTemplate dialog;
    dialog.caption = "x";
    dialog.controls = {{7, ControlClass::ComboBox, "ComboBoxEx32", "", 0, 0, 1, 2, 3, 4}};
    const std::vector<std::uint16_t> words = BuildExtendedTemplate(dialog);
    std::size_t at = 15;
    EXPECT_EQ(TextAt(words, at), "x");
    at += at % 2;
    at += 12;
    EXPECT_EQ(TextAt(words, at), "ComboBoxEx32");
}

TEST(TextCodec, RoundTripsAndReplacesBrokenInput) {
    const std::string samples[] = {"", "plain", "启用双笔", "mixed 退出 text", "\xF0\x9F\x96\x8A"};
    for (const std::string& sample : samples) {
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample);
    }
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x96\x8A").size(), 2U); // a surrogate pair
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE5\x90"), u"\uFFFD\uFFFD"); // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx"); // lone surrogate
}

} // namespace
} // namespace platform
