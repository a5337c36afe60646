#include "common/language_texts.h"

#include "common/program_contract.h"
#include "common/settings_location.h"
#include "platform/ini/ini_engine.h"

#include <algorithm>
#include <array>

namespace common {

namespace {

using platform::ProfileText;
using platform::TextEncoding;

struct LanguageFile {
    std::string_view name;
    const std::string* path;
    TextEncoding encoding;
    std::string_view encodingName;
};

LanguageFile FileOf(const TextSource& source, Language language) {
    if (language == Language::Chinese) {
        return {contract::language_file::kName, &source.chinesePath, TextEncoding::CodePage936,
                "code page 936"};
    }
    return {contract::language_file::kEnglishName, &source.englishPath, TextEncoding::Utf16,
            "UTF-16 with a byte-order mark"};
}

// The first of the keys at indexes, and "..." when there are more.
std::string KeyList(std::span<const std::string_view> keys,
                    const std::vector<std::size_t>& indexes) {
    std::string list(platform::ini::Trim(keys[indexes.front()]));
    if (indexes.size() > 1) {
        list += ", ...";
    }
    return list;
}

Language Other(Language language) {
    return language == Language::Chinese ? Language::English : Language::Chinese;
}

} // namespace

LanguageChoice ChooseLanguage(std::string_view setting, std::uint16_t uiLanguage) {
    using namespace contract::settings_file;
    const std::string_view value = platform::ini::Trim(setting);
    if (platform::ini::EqualsNoCase(value, kLanguageChinese)) {
        return {Language::Chinese, {}};
    }
    if (platform::ini::EqualsNoCase(value, kLanguageEnglish)) {
        return {Language::English, {}};
    }
    const bool chinese = (uiLanguage & platform::LocalePort::kPrimaryLanguageMask) ==
                         platform::LocalePort::kPrimaryChinese;
    LanguageChoice choice{chinese ? Language::Chinese : Language::English, {}};
    if (!value.empty() && !platform::ini::EqualsNoCase(value, kLanguageAuto)) {
        choice.note = std::string(kLanguageKey) + "=" + std::string(value) +
                      " names no language (" + std::string(kLanguageAuto) + ", " +
                      std::string(kLanguageChinese) + " or " + std::string(kLanguageEnglish) +
                      "); the user's language is used";
    }
    return choice;
}

LanguageChoice ChooseLanguage(platform::ProfilePort& profile, const std::string& settingsPath,
                              platform::LocalePort& locale) {
    const std::string setting =
        profile.GetString(contract::settings_file::kInterfaceSection,
                          contract::settings_file::kLanguageKey, "", settingsPath);
    return ChooseLanguage(setting, locale.UserUiLanguage());
}

TextSource TextSourceIn(std::string_view folder, Language language) {
    return {PathInFolder(folder, contract::language_file::kName),
            PathInFolder(folder, contract::language_file::kEnglishName), language};
}

TextSource TextSourceIn(std::string_view folder, Language language, platform::FilesPort& files) {
    return {PathInFolder(folder, contract::language_file::kName, files),
            PathInFolder(folder, contract::language_file::kEnglishName, files), language};
}

std::vector<std::optional<std::string>>
ReadSectionTexts(platform::ProfilePort& profile, const TextSource& source, std::string_view section,
                 std::span<const std::string_view> keys, const TextNote& note) {
    std::vector<std::optional<std::string>> texts(keys.size());
    std::vector<std::size_t> wanted(keys.size());
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        wanted[i] = i;
    }
    const std::array order{source.language, Other(source.language)};
    for (std::size_t turn = 0; turn < order.size() && !wanted.empty(); ++turn) {
        const LanguageFile file = FileOf(source, order[turn]);
        std::vector<ProfileText> read;
        read.reserve(wanted.size());
        for (const std::size_t i : wanted) {
            read.push_back(profile.ReadText(section, keys[i], *file.path, file.encoding));
        }
        const std::string where = std::string(file.name) + " [" + std::string(section) + "]";
        std::string then;
        if (turn + 1 < order.size()) {
            then = "; taken from ";
            then += FileOf(source, order[turn + 1]).name;
        }
        if (std::ranges::any_of(read, [](const ProfileText& text) {
                return text.status == ProfileText::Status::Undecodable;
            })) {
            std::string line = where;
            line += " is not in ";
            line += file.encodingName;
            line += ": none of its " + std::to_string(wanted.size());
            line += " texts used";
            note(line + then);
            continue;
        }
        std::vector<std::size_t> lacking;
        std::vector<std::size_t> cut;
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            if (read[k].status != ProfileText::Status::Found) {
                lacking.push_back(wanted[k]);
                continue;
            }
            if (read[k].cut) {
                cut.push_back(wanted[k]);
            }
            texts[wanted[k]] = std::move(read[k].text);
        }
        if (!cut.empty()) {
            std::string line = where;
            line += " has " + std::to_string(cut.size());
            line += " texts longer than ";
            line += std::to_string(platform::ProfilePort::kDefaultCapacity - 1);
            line += " characters (" + KeyList(keys, cut);
            note(line + "): cut");
        }
        if (!lacking.empty()) {
            std::string line = where;
            line += " lacks " + std::to_string(lacking.size());
            line += " of " + std::to_string(wanted.size());
            line += " texts (" + KeyList(keys, lacking);
            line += ")";
            note(line + then);
        }
        wanted = std::move(lacking);
    }
    return texts;
}

} // namespace common
