#include "pensettings/dialog_texts.h"

namespace pensettings {

namespace {
constexpr std::string_view kLanguageSection = "SetLumera";
} // namespace

DialogTexts ReadDialogTexts(platform::ProfilePort& profile, const std::string& path) {
    const auto read = [&](std::string_view key) {
        return profile.GetText(kLanguageSection, key, contract::language_file::kMissingText, path);
    };
    DialogTexts texts;
    texts.title = read(kTitleKey);
    for (std::size_t i = 0; i < kControlTexts.size(); ++i) {
        texts.controls[i] = read(kControlTexts[i].key);
    }
    for (std::size_t i = 0; i < kFunctionKeys.size(); ++i) {
        texts.functions[i] = read(kFunctionKeys[i]);
    }
    texts.saveFailed = profile.GetText(kLanguageSection, kSaveFailedKey, "", path);
    if (texts.saveFailed.empty()) {
        texts.saveFailed = kSaveFailedFallback;
    }
    return texts;
}

} // namespace pensettings
