#include "orient/orient_texts.h"

#include "orient/orient_ids.h"

#include <utility>
#include <vector>

namespace orient {

OrientTexts ReadOrientTexts(platform::ProfilePort& profile, const std::string& path) {
    OrientTexts texts;
    const std::pair<std::string_view, std::string*> keys[] = {
        {"IDS_ORIENT_CAPTION", &texts.caption},
        {"IDS_ORIENT_TOUCH", &texts.touchTarget},
        {"IDS_ORIENT_PROGRESS", &texts.progress},
        {"IDS_ORIENT_ESCAPE", &texts.escape},
        {"IDS_ORIENT_TOO_SHORT", &texts.tooShort},
        {"IDS_ORIENT_WANDERED", &texts.wandered},
        {"IDS_ORIENT_FOLDED", &texts.folded},
        {"IDS_ORIENT_CONNECTING", &texts.connecting},
        {"IDS_ORIENT_NO_DRIVER", &texts.noDriver},
        {"IDS_ORIENT_NO_PIPE", &texts.noPipe},
        {"IDS_ORIENT_PIPE_LOST", &texts.pipeLost},
        {"IDS_ORIENT_SAVE_FAILED", &texts.saveFailed},
        {"IDS_ORIENT_VERIFY", &texts.verify},
        {"IDS_ORIENT_VERIFY_PROGRESS", &texts.verifyProgress},
        {"IDS_ORIENT_RESULT", &texts.result},
        {"IDS_ORIENT_SCALE", &texts.scale},
        {"IDS_ORIENT_REDO", &texts.redo},
        {"IDS_ORIENT_FINISH", &texts.finish},
        {"IDS_ORIENT_CANCEL", &texts.cancel},
        {"IDS_ORIENT_EXIT", &texts.exit},
    };
    for (const auto& [key, text] : keys) {
        *text = profile.GetText(kLanguageSection, key, kMissingText, path);
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
