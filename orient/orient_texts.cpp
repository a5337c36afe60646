#include "orient/orient_texts.h"

#include "orient/orient_ids.h"

#include <vector>

namespace orient {

OrientTexts ReadOrientTexts(platform::ProfilePort& profile, const std::string& path) {
    OrientTexts texts;
    for (const TextKey& key : kTextKeys) {
        texts.*key.text =
            profile.GetText(kLanguageSection, key.key, contract::language_file::kMissingText, path);
    }
    return texts;
}

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
    const std::vector<std::string_view> numbered(values);
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '9') {
            const auto slot = static_cast<std::size_t>(next - '1');
            if (slot < numbered.size()) {
                out += numbered[slot];
            }
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}

} // namespace orient
