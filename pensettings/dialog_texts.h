#pragma once

#include "common/language_texts.h"
#include "pensettings/lumeraset_ids.h"
#include "platform/profile_port.h"

#include <array>
#include <string>
#include <string_view>

namespace pensettings {

// Where each text of section "SetLumera" goes: the title, then the
// controls in the order they are set, then the function items.
struct TextSlot {
    std::string_view key;
    int controlId;
};

inline constexpr std::string_view kTitleKey = "IDC_TOP";
inline constexpr std::array<TextSlot, 8> kControlTexts = {{
    {"IDC_STATIC", kOuterGroupId},
    {"IDC_STATIC1", kFrontLabelId},
    {"IDC_STATIC2", kBackLabelId},
    {"IDC_STATIC3", kInnerGroupId},
    {"IDC_RADIO1", kDefaultOptionsId},
    {"IDC_RADIO2", kCustomOptionsId},
    {"IDOK", 1},
    {"IDCANCEL", 2},
}};
inline constexpr std::array<std::string_view, kFunctionCount> kFunctionKeys = {
    "IDC_BMP1", "IDC_BMP2", "IDC_BMP3", "IDC_BMP4",  "IDC_BMP5", "IDC_BMP6",
    "IDC_BMP7", "IDC_BMP8", "IDC_BMP9", "IDC_BMP10", "IDC_BMP11"};

// Told when OK could not write the settings file. Its own fallback: a box
// that says "GetError" would tell the user nothing.
inline constexpr std::string_view kSaveFailedKey = "IDS_SAVEFAILED";
inline constexpr std::string_view kSaveFailedFallback =
    "设置没有保存：无法写入 DualData.ini。请检查该文件是否可写。";

struct DialogTexts {
    std::string title;
    std::array<std::string, kControlTexts.size()> controls;
    std::array<std::string, kFunctionCount> functions;
    std::string saveFailed;
};

// Reads the texts in the order of the tables above, each from the other
// language's file when the source's first lacks it; a text neither has is
// contract::language_file::kMissingText, one present but empty stays empty,
// and each holds at most 259 characters. saveFailed, missing or empty, has
// its fallback. Why a file was passed over goes to note.
DialogTexts ReadDialogTexts(platform::ProfilePort& profile, const common::TextSource& source,
                            const common::TextNote& note);

} // namespace pensettings
