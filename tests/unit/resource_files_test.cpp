#include "driver/pointer/load_calibration.h"
#include "driver/settings/button_settings.h"
#include "driver/settings/load_message_texts.h"
#include "driver/settings/load_tray_texts.h"

#include "orient/orient_texts.h"
#include "pensettings/dialog_texts.h"
#include "platform/code_page_936.h"
#include "platform/ini/ini_engine.h"
#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_trace.h"
#include "platform/text_encoding.h"
#include "tests/support/files.h"
#include "tests/support/grids.h"
#include "tests/support/language_files.h"
#include "tests/support/text_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace driver {
namespace {

const std::string kResourceFolder = DRAVIK_RESOURCE_DIR "/";
const std::string kLanguageFile = kResourceFolder + "Language.ini";
const std::string kSettingsFile = kResourceFolder + "DualData.ini";
constexpr const char* kAbsent = "<absent>";

common::TextSource Shipped(common::Language language) {
    return {kLanguageFile, DRAVIK_ENGLISH_FILE, language};
}

// Section -> keys of an INI text, in order.
using KeysBySection = std::map<std::string, std::vector<std::string>>;
KeysBySection KeysOf(const std::string& text) {
    KeysBySection keys;
    std::string section;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        const std::string_view trimmed = platform::ini::Trim(line);
        if (trimmed.starts_with('[') && trimmed.ends_with(']')) {
            section = std::string(trimmed.substr(1, trimmed.size() - 2));
            keys[section];
        } else if (const std::size_t equals = trimmed.find('='); equals != std::string::npos) {
            keys[section].emplace_back(platform::ini::Trim(trimmed.substr(0, equals)));
        }
    }
    return keys;
}

// The numbered places (%1, %2) of a text, which every translation must keep.
std::multiset<std::string> PlacesOf(std::string_view text) {
    std::multiset<std::string> places;
    for (std::size_t at = text.find('%'); at != std::string_view::npos && at + 1 < text.size();
         at = text.find('%', at + 1)) {
        places.emplace(text.substr(at, 2));
    }
    return places;
}

void ExpectKeysPresent(platform::ProfilePort& profile, const std::string& path,
                       std::string_view section, std::initializer_list<std::string_view> keys) {
    for (const std::string_view key : keys) {
        EXPECT_NE(profile.GetString(section, key, kAbsent, path), kAbsent)
            << section << " / " << key;
    }
}

TEST(ShippedLanguageFile, HoldsEveryTextOfBothProgramsInCodePage936) {
    platform::IniFileProfile profile;
    ExpectKeysPresent(profile, kLanguageFile, "String",
                      {"IDS_CONNECTCAP", "IDS_SERRUNNING", "IDS_GETPARAMFAIL", "IDS_CONNECT",
                       "IDS_LKEYERROR", "IDS_RKEYERROR"});
    ExpectKeysPresent(profile, kLanguageFile, "SetLumera",
                      {"IDC_TOP", "IDC_STATIC", "IDC_STATIC1", "IDC_STATIC2", "IDC_STATIC3",
                       "IDC_RADIO1", "IDC_RADIO2", "IDOK", "IDCANCEL", "IDS_SAVEFAILED"});
    for (int i = 1; i <= 11; ++i) {
        ExpectKeysPresent(profile, kLanguageFile, "SetLumera", {"IDC_BMP" + std::to_string(i)});
    }

    testing_support::NoteLines notes;
    const MessageTexts texts =
        LoadMessageTexts(profile, Shipped(common::Language::Chinese), notes.Sink());
    EXPECT_EQ(texts.connectCap, "提示");
    EXPECT_EQ(texts.serRunning, "驱动程序已经在运行！");
    EXPECT_EQ(notes.lines, std::vector<std::string>());
    EXPECT_EQ(profile.GetString("SetLumera", "IDOK", "", kLanguageFile), "\xC8\xB7\xB6\xA8");
    EXPECT_EQ(profile.GetString("SetLumera", "IDC_BMP11", "", kLanguageFile),
              "\xBE\xDB\xB9\xE2\xB5\xC6"); // 聚光灯
}

TEST(ShippedLanguageFiles, HoldTheSameKeysInTheirOwnEncodings) {
    const std::string chinese = testing_support::ReadFile(kLanguageFile);
    const std::string english = testing_support::ReadFile(DRAVIK_ENGLISH_FILE);
    ASSERT_TRUE(english.starts_with("\xFF\xFE")) << "UTF-16LE with its byte-order mark";
    const KeysBySection chineseKeys = KeysOf(chinese);
    EXPECT_EQ(KeysOf(testing_support::Utf8OfUtf16File(english)), chineseKeys);
    EXPECT_GE(chineseKeys.size(), 3U) << "the driver's, the settings tool's and Orient's";
    EXPECT_TRUE(platform::DecodeCodePage936(chinese)) << "Language.ini is code page 936 throughout";
}

// Every text each program reads, from each file alone, with the same numbered places.
TEST(ShippedLanguageFiles, GiveEveryProgramEveryTextInBothLanguages) {
    platform::IniFileProfile profile;
    std::map<common::Language, std::vector<std::string>> all;
    for (const common::Language language : {common::Language::Chinese, common::Language::English}) {
        SCOPED_TRACE(language == common::Language::Chinese ? "Chinese" : "English");
        testing_support::NoteLines notes;
        // The other file missing: nothing may come from it.
        common::TextSource alone = Shipped(language);
        (language == common::Language::Chinese ? alone.englishPath : alone.chinesePath) = "";
        const MessageTexts driverTexts = LoadMessageTexts(profile, alone, notes.Sink());
        const pensettings::DialogTexts toolTexts =
            pensettings::ReadDialogTexts(profile, alone, notes.Sink());
        const orient::OrientTexts orientTexts =
            orient::ReadOrientTexts(profile, alone, notes.Sink());
        EXPECT_EQ(notes.lines, std::vector<std::string>());
        std::vector<std::string>& texts = all[language];
        texts = {driverTexts.connectCap, driverTexts.serRunning, driverTexts.getParamFail,
                 driverTexts.connect,    driverTexts.lKeyError,  driverTexts.rKeyError,
                 toolTexts.title,        toolTexts.saveFailed,   orientTexts.chooseMonitor};
        texts.insert(texts.end(), toolTexts.controls.begin(), toolTexts.controls.end());
        texts.insert(texts.end(), toolTexts.functions.begin(), toolTexts.functions.end());
        for (const orient::TextKey& key : orient::kTextKeys) {
            texts.push_back(orientTexts.*key.text);
        }
        const TrayTexts tray = LoadTrayTexts(profile, alone, notes.Sink());
        texts.insert(texts.end(),
                     {tray.connectedSerial, tray.connectedHid, tray.notConnected,
                      tray.notConnectedWhy, tray.calibrating, tray.dualPen, tray.connected,
                      tray.disconnected, tray.calibrate, tray.penButtons, tray.saveDiagnostics,
                      tray.about, tray.exit, tray.exitConfirm, tray.aboutText, tray.pickFolder,
                      tray.saved, tray.notSaved});
        for (const std::string& text : texts) {
            EXPECT_FALSE(text.empty());
            EXPECT_NE(text, contract::language_file::kMissingText);
        }
    }
    const auto& chinese = all[common::Language::Chinese];
    const auto& english = all[common::Language::English];
    ASSERT_EQ(chinese.size(), english.size());
    for (std::size_t i = 0; i < chinese.size(); ++i) {
        EXPECT_EQ(PlacesOf(english[i]), PlacesOf(chinese[i])) << english[i];
        EXPECT_NE(english[i], chinese[i]);
    }
}

TEST(ShippedSettingsFile, HoldsEveryKeyTheProgramsRead) {
    platform::IniFileProfile profile;
    ExpectKeysPresent(profile, kSettingsFile, contract::settings_file::kCoordinateSection,
                      {contract::settings_file::kColumnsKey, contract::settings_file::kRowsKey});
    const int columns = profile.GetInt(contract::settings_file::kCoordinateSection,
                                       contract::settings_file::kColumnsKey, 0, kSettingsFile);
    const int rows = profile.GetInt(contract::settings_file::kCoordinateSection,
                                    contract::settings_file::kRowsKey, 0, kSettingsFile);
    EXPECT_EQ(columns, 3);
    EXPECT_EQ(rows, 3);
    char key[32];
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            std::snprintf(key, sizeof key, "dot(%d,%d)", i, j);
            ExpectKeysPresent(profile, kSettingsFile, contract::settings_file::kCoordinateSection,
                              {std::string(key) + ".x", std::string(key) + ".y"});
        }
    }
    for (int k = 0; k < 28; ++k) {
        const std::string point = "ept" + std::to_string(k);
        ExpectKeysPresent(profile, kSettingsFile, "ElecButton", {point + ".x", point + ".y"});
    }
    ExpectKeysPresent(profile, kSettingsFile, contract::settings_file::kButtonSection,
                      {contract::settings_file::kUseDefaultsKey,
                       contract::settings_file::kFrontChoiceKey,
                       contract::settings_file::kBackChoiceKey});
    ExpectKeysPresent(profile, kSettingsFile, "hardware", {"KEY_TYPE", "BOARD_TYPE"});
}

TEST(ShippedSettingsFile, GivesAWorkingBoardAndTheDefaultButtons) {
    platform::IniFileProfile profile;
    platform::SimTrace trace;
    const Calibration calibration = ReadCalibration(
        Calibration{}, profile, testing_support::PrimaryScreen(1920, 1080), trace, kSettingsFile);
    EXPECT_TRUE(trace.Lines().empty());
    // Button columns at the edges, a writing area across the middle.
    EXPECT_GT(calibration.PenAreaLeft, 300);
    EXPECT_LT(calibration.PenAreaLeft, 1000);
    EXPECT_GT(calibration.PenAreaRight, 15000);
    EXPECT_LT(calibration.PenAreaRight, 16384);
    for (int k = 0; k < 28; ++k) {
        const auto& point = calibration.ElecButtonPoints[static_cast<std::size_t>(k)];
        EXPECT_TRUE(k < 14 ? point.x < calibration.PenAreaLeft : point.x > calibration.PenAreaRight)
            << "button " << k;
    }

    ButtonCommandMap map;
    const ButtonSettings buttons = ReadButtonSettings(profile, kSettingsFile, map);
    EXPECT_EQ(buttons.m_fixedButtonCodes, 0);
    EXPECT_EQ(buttons.m_button1Command, 16);
    EXPECT_EQ(buttons.m_button2Command, 22);
}

} // namespace
} // namespace driver
