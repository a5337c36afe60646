#include "driver/settings/load_message_texts.h"

#include "common/settings_location.h"

namespace driver {

MessageTexts LoadMessageTexts(platform::ProfilePort& profile, std::string_view executableFolder) {
    const std::string path = common::PathInFolder(executableFolder, contract::language_file::kName);
    const auto read = [&](std::string_view key) {
        // Shown in message boxes: decoded from the file's code page.
        return profile.GetText("String", key, contract::language_file::kMissingText, path);
    };
    MessageTexts texts;
    // The blanks are the driver's own; profile lookups trim them away.
    texts.connectCap = read("IDS_CONNECTCAP   ");
    texts.serRunning = read("IDS_SERRUNNING");
    texts.getParamFail = read("IDS_GETPARAMFAIL");
    texts.connect = read("IDS_CONNECT");
    texts.lKeyError = read("IDS_LKEYERROR");
    texts.rKeyError = read("IDS_RKEYERROR");
    return texts;
}

} // namespace driver
