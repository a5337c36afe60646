#include "driver/settings/load_message_texts.h"

#include <array>

namespace driver {

MessageTexts LoadMessageTexts(platform::ProfilePort& profile, const common::TextSource& source,
                              const common::TextNote& note) {
    MessageTexts texts;
    // The blanks are the driver's own; profile lookups trim them away.
    static constexpr std::array<std::string_view, 6> kKeys = {"IDS_CONNECTCAP   ", "IDS_SERRUNNING",
                                                              "IDS_GETPARAMFAIL",  "IDS_CONNECT",
                                                              "IDS_LKEYERROR",     "IDS_RKEYERROR"};
    const std::vector<std::optional<std::string>> read =
        common::ReadSectionTexts(profile, source, "String", kKeys, note);
    const std::array<std::string*, kKeys.size()> targets = {&texts.connectCap,   &texts.serRunning,
                                                            &texts.getParamFail, &texts.connect,
                                                            &texts.lKeyError,    &texts.rKeyError};
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        *targets[i] = read[i].value_or(std::string(contract::language_file::kMissingText));
    }
    return texts;
}

} // namespace driver
