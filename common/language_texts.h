#pragma once

#include "platform/files_port.h"
#include "platform/locale_port.h"
#include "platform/profile_port.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace common {

enum class Language { Chinese, English };

// The language the texts are shown in; note says why a setting was passed
// over, "" when none was.
struct LanguageChoice {
    Language language = Language::Chinese;
    std::string note;
};

// setting: the interface language of the settings file. Its Chinese and
// English values force a language (any case); auto, nothing or anything else
// follows uiLanguage: Chinese for any Chinese, English for the rest.
LanguageChoice ChooseLanguage(std::string_view setting, std::uint16_t uiLanguage);
// The same with the setting read from the settings file at settingsPath.
LanguageChoice ChooseLanguage(platform::ProfilePort& profile, const std::string& settingsPath,
                              platform::LocalePort& locale);

// Both language files, and the language whose file comes first.
struct TextSource {
    std::string chinesePath; // code page 936
    std::string englishPath; // UTF-16
    Language language = Language::Chinese;
};

// The files in folder, which ends with its separator; a path that would not
// fit is "" and reads as a missing file. With files, lengths count as its
// path buffers do.
TextSource TextSourceIn(std::string_view folder, Language language);
TextSource TextSourceIn(std::string_view folder, Language language, platform::FilesPort& files);

// The step a trace line of a TextNote names.
inline constexpr std::string_view kTextsTraceStep = "Language texts";

// Told one line for each file that could not give every text asked of it,
// saying why.
using TextNote = std::function<void(const std::string& line)>;

// The texts of keys in section, texts[i] for keys[i]: from the first file,
// else, for a key it lacks, from the other; nullopt when neither has it. A
// file not in its encoding gives none of its texts. Each text holds at most
// 259 characters.
std::vector<std::optional<std::string>>
ReadSectionTexts(platform::ProfilePort& profile, const TextSource& source, std::string_view section,
                 std::span<const std::string_view> keys, const TextNote& note);

} // namespace common
