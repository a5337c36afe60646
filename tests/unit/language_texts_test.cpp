#include "common/language_texts.h"
#include "driver/settings/load_message_texts.h"

#include "common/program_contract.h"
#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_locale.h"
#include "tests/support/language_files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

namespace common {
namespace {

using platform::SimLocale;
using testing_support::Cp936;
using testing_support::Repeated;
using testing_support::Utf16File;
namespace names = contract::settings_file;

std::string Upper(std::string_view text) {
    std::string out(text);
    std::ranges::transform(out, out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

TEST(LanguageChoice, TheSettingWinsWhenItNamesALanguageElseTheUserInterfaceDecides) {
    constexpr std::uint16_t kTraditionalChinese = 0x0404;
    constexpr std::uint16_t kGerman = 0x0407;
    const std::string zh(names::kLanguageChinese);
    const std::string en(names::kLanguageEnglish);
    const std::string autoValue(names::kLanguageAuto);
    const struct {
        std::string setting;
        std::uint16_t uiLanguage;
        Language expected;
        bool noted; // the setting was passed over
    } cases[] = {
        {"", SimLocale::kChineseSimplified, Language::Chinese, false},
        {"", kTraditionalChinese, Language::Chinese, false},
        {"", SimLocale::kEnglishUnitedStates, Language::English, false},
        {"", kGerman, Language::English, false},
        {autoValue, SimLocale::kEnglishUnitedStates, Language::English, false},
        {" " + Upper(autoValue) + " ", SimLocale::kChineseSimplified, Language::Chinese, false},
        {zh, SimLocale::kEnglishUnitedStates, Language::Chinese, false},
        {Upper(zh), kGerman, Language::Chinese, false},
        {en, SimLocale::kChineseSimplified, Language::English, false},
        {Upper(en), kTraditionalChinese, Language::English, false},
        {"chinese", SimLocale::kEnglishUnitedStates, Language::English, true},
        {zh + "-CN", SimLocale::kEnglishUnitedStates, Language::English, true},
        {"1", SimLocale::kChineseSimplified, Language::Chinese, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.setting + "' on " + std::to_string(c.uiLanguage));
        const LanguageChoice choice = ChooseLanguage(c.setting, c.uiLanguage);
        EXPECT_EQ(choice.language, c.expected);
        EXPECT_EQ(!choice.note.empty(), c.noted) << choice.note;
        if (c.noted) {
            EXPECT_NE(choice.note.find(c.setting), std::string::npos) << choice.note;
        }
    }
}

TEST(LanguageChoice, ReadsTheSettingFromTheSettingsFile) {
    testing_support::TempDir dir;
    platform::IniFileProfile profile;
    SimLocale locale;
    const std::string settings =
        dir.Write("DualData.ini", "[" + std::string(names::kInterfaceSection) + "]\r\n" +
                                      std::string(names::kLanguageKey) + "=" +
                                      std::string(names::kLanguageEnglish) + "\r\n");
    EXPECT_EQ(ChooseLanguage(profile, settings, locale).language, Language::English);
    EXPECT_EQ(ChooseLanguage(profile, dir.File("none.ini"), locale).language, Language::Chinese);
    locale.SetUserUiLanguage(SimLocale::kEnglishUnitedStates);
    EXPECT_EQ(ChooseLanguage(profile, "", locale).language, Language::English);
}

// What a file holds, in the form the test writes it.
struct FileContent {
    enum class Form { None, Empty, AsItShips, Utf8, Utf8WithMark, Bytes } form;
    std::string lines; // UTF-8 (Bytes: the bytes themselves)
};

const FileContent kNoFile{FileContent::Form::None, ""};
const FileContent kEmpty{FileContent::Form::Empty, ""};
FileContent Ships(std::string lines) {
    return {FileContent::Form::AsItShips, "[String]\r\n" + lines};
}

void Place(const testing_support::TempDir& dir, std::string_view name, const FileContent& content,
           bool chinese) {
    std::string bytes;
    switch (content.form) {
    case FileContent::Form::None:
        return;
    case FileContent::Form::Empty:
        break;
    case FileContent::Form::AsItShips:
        bytes = chinese ? Cp936(content.lines) : Utf16File(content.lines);
        break;
    case FileContent::Form::Utf8:
    case FileContent::Form::Bytes:
        bytes = content.lines;
        break;
    case FileContent::Form::Utf8WithMark:
        bytes = "\xEF\xBB\xBF" + content.lines;
        break;
    }
    dir.Write(name, bytes);
}

// The driver's texts through its loader, with the two files of a case.
TEST(LanguageFallback, AKeyTheFirstFileCannotGiveComesFromTheOtherThenGetError) {
    const std::string chineseFile(contract::language_file::kName);
    const std::string englishFile(contract::language_file::kEnglishName);
    const std::string lacks = " [String] lacks ";
    const std::string notIn = " [String] is not in ";
    const std::string missing(contract::language_file::kMissingText);
    const std::string chineseLines = "IDS_CONNECTCAP=提示\r\nIDS_SERRUNNING=已经在运行\r\n";
    const std::string englishLines = "IDS_CONNECTCAP=Notice\r\nIDS_CONNECT=Connected\r\n";
    const struct {
        const char* name;
        Language first;
        FileContent chinese;
        FileContent english;
        std::string caption;   // IDS_CONNECTCAP
        std::string running;   // IDS_SERRUNNING
        std::string connect;   // IDS_CONNECT
        std::string firstNote; // why the first file fell short
    } cases[] = {
        {"Chinese, both whole", Language::Chinese, Ships(chineseLines), Ships(englishLines), "提示",
         "已经在运行", "Connected", chineseFile + lacks + "4 of 6"},
        {"English, both whole", Language::English, Ships(chineseLines), Ships(englishLines),
         "Notice", "已经在运行", "Connected", englishFile + lacks + "4 of 6"},
        {"English file missing", Language::English, Ships(chineseLines), kNoFile, "提示",
         "已经在运行", missing, englishFile + lacks + "6 of 6"},
        {"English file empty", Language::English, Ships(chineseLines), kEmpty, "提示", "已经在运行",
         missing, englishFile + lacks + "6 of 6"},
        {"Chinese file missing", Language::Chinese, kNoFile, Ships(englishLines), "Notice", missing,
         "Connected", chineseFile + lacks + "6 of 6"},
        {"neither file", Language::Chinese, kNoFile, kNoFile, missing, missing, missing,
         chineseFile + lacks + "6 of 6"},
        {"English file in UTF-8 without a mark",
         Language::English,
         Ships(chineseLines),
         {FileContent::Form::Utf8, "[String]\r\n" + englishLines},
         "提示",
         "已经在运行",
         missing,
         englishFile + notIn},
        {"Chinese file in UTF-8 with a mark",
         Language::Chinese,
         {FileContent::Form::Utf8WithMark, "[String]\r\n" + chineseLines},
         Ships(englishLines),
         "Notice",
         missing,
         "Connected",
         chineseFile + notIn},
        // Nine characters: as code page 936 the last byte has no partner.
        {"Chinese file in UTF-8 without a mark",
         Language::Chinese,
         {FileContent::Form::Utf8, "[String]\r\nIDS_CONNECTCAP=读取白板参数失败！\r\n"},
         Ships(englishLines),
         "Notice",
         missing,
         "Connected",
         chineseFile + notIn},
        {"Chinese caption over the buffer", Language::Chinese,
         Ships("IDS_CONNECTCAP=" + Repeated("提", 300) + "\r\nIDS_SERRUNNING=已经在运行\r\n"),
         Ships(englishLines), Repeated("提", 259), "已经在运行", "Connected",
         chineseFile + " [String] has 1 texts longer than 259 characters (IDS_CONNECTCAP): cut"},
        {"Chinese file with a broken character",
         Language::Chinese,
         {FileContent::Form::Bytes, "[String]\r\nIDS_CONNECTCAP=\xCC\r\nIDS_CONNECT=x\r\n"},
         Ships(englishLines),
         "Notice",
         missing,
         "Connected",
         chineseFile + notIn},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::TempDir dir;
        Place(dir, chineseFile, c.chinese, true);
        Place(dir, englishFile, c.english, false);
        platform::IniFileProfile profile;
        testing_support::NoteLines notes;
        const driver::MessageTexts texts = driver::LoadMessageTexts(
            profile, TextSourceIn((dir.Path() / "").string(), c.first), notes.Sink());
        EXPECT_EQ(texts.connectCap, c.caption);
        EXPECT_EQ(texts.serRunning, c.running);
        EXPECT_EQ(texts.connect, c.connect);
        EXPECT_EQ(texts.rKeyError, missing) << "in neither file";
        ASSERT_FALSE(notes.lines.empty());
        EXPECT_TRUE(notes.lines.front().starts_with(c.firstNote)) << notes.lines.front();
        EXPECT_LE(notes.lines.size(), 3U) << "one line for each file and fault at most";
    }
}

} // namespace
} // namespace common
