#include "driver/pointer/load_calibration.h"
#include "driver/settings/button_settings.h"
#include "driver/settings/load_message_texts.h"
#include "driver/settings/load_tray_texts.h"

#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/grids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace driver {
namespace {

const std::string kResourceFolder = DRAVIK_RESOURCE_DIR "/";
const std::string kLanguageFile = kResourceFolder + "Language.ini";
const std::string kSettingsFile = kResourceFolder + "DualData.ini";
constexpr const char* kAbsent = "<absent>";

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

    const MessageTexts texts = LoadMessageTexts(profile, kResourceFolder);
    EXPECT_EQ(texts.connectCap, "\xCC\xE1\xCA\xBE");                               // 提示
    EXPECT_EQ(texts.serRunning, "\xC7\xFD\xB6\xAF\xB3\xCC\xD0\xF2\xD2\xD1\xBE\xAD" // 驱动程序已经
                                "\xD4\xDA\xD4\xCB\xD0\xD0\xA3\xA1");               // 在运行！
    EXPECT_EQ(profile.GetString("SetLumera", "IDOK", "", kLanguageFile), "\xC8\xB7\xB6\xA8");
    EXPECT_EQ(profile.GetString("SetLumera", "IDC_BMP11", "", kLanguageFile),
              "\xBE\xDB\xB9\xE2\xB5\xC6"); // 聚光灯
}

// Every text of the notification-area icon is in the shipped file, none
// left to its English built-in.
TEST(ShippedLanguageFile, HoldsTheTrayTexts) {
    platform::IniFileProfile profile;
    const TrayTexts shipped = LoadTrayTexts(profile, kResourceFolder);
    const TrayTexts builtIn = LoadTrayTexts(profile, "");
    const auto fields = [](const TrayTexts& t) {
        return std::vector{t.connectedSerial, t.connectedHid, t.notConnected, t.notConnectedWhy,
                           t.calibrating,     t.dualPen,      t.connected,    t.disconnected,
                           t.caption,         t.calibrate,    t.penButtons,   t.saveDiagnostics,
                           t.about,           t.exit,         t.exitConfirm,  t.aboutText,
                           t.pickFolder,      t.saved,        t.notSaved};
    };
    const std::vector<std::string> shippedTexts = fields(shipped);
    const std::vector<std::string> builtInTexts = fields(builtIn);
    for (std::size_t i = 0; i < shippedTexts.size(); ++i) {
        EXPECT_NE(shippedTexts[i], builtInTexts[i]) << "text " << i;
    }
}

// The English file has a text for every key of the Chinese one, and no other.
TEST(ShippedLanguageFile, TheEnglishFileHasTheSameKeys) {
    const auto keys = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::set<std::string> found;
        std::string section;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.starts_with('[')) {
                section = line;
            } else if (const std::size_t equals = line.find('='); equals != std::string::npos) {
                found.insert(section + line.substr(0, equals));
            }
        }
        return found;
    };
    const std::set<std::string> chinese = keys(kLanguageFile);
    ASSERT_FALSE(chinese.empty());
    EXPECT_EQ(keys(kResourceFolder + "Language-en.utf8.ini"), chinese);
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
