#include "pensettings/dialog_texts.h"

#include "common/program_contract.h"

#include <vector>

namespace pensettings {

namespace {
constexpr std::string_view kLanguageSection = "SetLumera";
} // namespace

DialogTexts ReadDialogTexts(platform::ProfilePort& profile, const common::TextSource& source,
                            const common::TextNote& note) {
    std::vector<std::string_view> keys{kTitleKey};
    for (const TextSlot& slot : kControlTexts) {
        keys.push_back(slot.key);
    }
    keys.insert(keys.end(), kFunctionKeys.begin(), kFunctionKeys.end());
    keys.push_back(kSaveFailedKey);
    std::vector<std::optional<std::string>> read =
        common::ReadSectionTexts(profile, source, kLanguageSection, keys, note);
    auto next = read.begin();
    const auto take = [&next] {
        return std::move(*next++).value_or(std::string(contract::language_file::kMissingText));
    };
    DialogTexts texts;
    texts.title = take();
    for (std::string& control : texts.controls) {
        control = take();
    }
    for (std::string& function : texts.functions) {
        function = take();
    }
    texts.saveFailed = next->value_or("");
    if (texts.saveFailed.empty()) {
        texts.saveFailed = kSaveFailedFallback;
    }
    return texts;
}

} // namespace pensettings
