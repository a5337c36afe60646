#include "orient/orient_texts.h"

#include "orient/orient_ids.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace orient {

OrientTexts ReadOrientTexts(platform::ProfilePort& profile, const common::TextSource& source,
                            const common::TextNote& note) {
    std::vector<std::string_view> keys;
    for (const TextKey& key : kTextKeys) {
        keys.push_back(key.key);
    }
    keys.push_back(kChooseMonitorKey);
    const std::vector<std::optional<std::string>> read =
        common::ReadSectionTexts(profile, source, kLanguageSection, keys, note);
    OrientTexts texts;
    for (std::size_t i = 0; i < std::size(kTextKeys); ++i) {
        texts.*kTextKeys[i].text =
            read[i].value_or(std::string(contract::language_file::kMissingText));
    }
    texts.chooseMonitor = read.back().value_or("");
    if (texts.chooseMonitor.empty()) {
        texts.chooseMonitor = kChooseMonitorFallback;
    }
    return texts;
}

namespace {

const VerdictText* TextsOf(ContactVerdict verdict) {
    const auto* found = std::ranges::find(kVerdictTexts, verdict, &VerdictText::verdict);
    return found == std::end(kVerdictTexts) ? nullptr : found;
}

} // namespace

std::string_view LogWord(ContactVerdict verdict) {
    const VerdictText* texts = TextsOf(verdict);
    return texts != nullptr ? texts->logWord : std::string_view("?");
}

std::string_view Hint(const OrientTexts& texts, ContactVerdict verdict) {
    const VerdictText* found = TextsOf(verdict);
    return found != nullptr && found->hint != nullptr ? std::string_view(texts.*found->hint)
                                                      : std::string_view();
}

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
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
