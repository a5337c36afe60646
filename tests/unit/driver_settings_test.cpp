#include "driver/settings/button_settings.h"
#include "driver/settings/load_message_texts.h"
#include "driver/settings/load_tray_texts.h"

#include "platform/sim/ini_file_profile.h"
#include "tests/support/files.h"
#include "tests/support/language_files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace driver {
namespace {

using testing_support::ReadFile;

class SettingsFiles : public ::testing::Test {
protected:
    std::string Folder() const { return (m_dir.Path() / "").string(); }
    MessageTexts Load(const std::string& folder) {
        return LoadMessageTexts(m_profile, common::TextSourceIn(folder, common::Language::Chinese),
                                m_notes.Sink());
    }

    testing_support::TempDir m_dir;
    platform::IniFileProfile m_profile;
    testing_support::NoteLines m_notes;
};

using LanguageTexts = SettingsFiles;

TEST_F(LanguageTexts, ReadsTheSixTextsIncludingThePaddedCaptionKey) {
    m_dir.Write("Language.ini", "[String]\r\n"
                                "IDS_CONNECTCAP=Caption\r\n"
                                "IDS_SERRUNNING=Running\r\n"
                                "IDS_GETPARAMFAIL=Param\r\n"
                                "IDS_CONNECT=Connect\r\n"
                                "IDS_LKEYERROR=Left\r\n"
                                "IDS_RKEYERROR=\r\n");
    const MessageTexts texts = Load(Folder());
    EXPECT_EQ(texts.connectCap, "Caption");
    EXPECT_EQ(texts.serRunning, "Running");
    EXPECT_EQ(texts.getParamFail, "Param");
    EXPECT_EQ(texts.connect, "Connect");
    EXPECT_EQ(texts.lKeyError, "Left");
    EXPECT_EQ(texts.rKeyError, "") << "present but empty is not missing";
}

TEST_F(LanguageTexts, EveryMissingTextReadsGetError) {
    const auto expectAllMissing = [](const MessageTexts& texts, const char* context) {
        for (const std::string* text : {&texts.connectCap, &texts.serRunning, &texts.getParamFail,
                                        &texts.connect, &texts.lKeyError, &texts.rKeyError}) {
            EXPECT_EQ(*text, contract::language_file::kMissingText) << context;
        }
    };
    expectAllMissing(Load(Folder()), "no file");
    m_dir.Write("Language.ini", "[SetLumera]\r\nIDS_CONNECTCAP=Wrong section\r\n");
    expectAllMissing(Load(Folder()), "no String section");
    expectAllMissing(Load(""), "unknown folder");
    expectAllMissing(Load(Folder() + std::string(250, 'x') + "/"), "folder too long");
}

// An older installation's language file lacks the icon's texts: each reads
// as its built-in text, and one the file has is taken from it.
TEST_F(LanguageTexts, TrayTextsMissingFromTheFileReadAsBuiltIns) {
    const TrayTexts builtIn = LoadTrayTexts(
        m_profile, common::TextSourceIn(Folder(), common::Language::Chinese), m_notes.Sink());
    m_dir.Write("Language.ini", "[String]\r\nIDS_CONNECTCAP=Caption\r\nIDS_CONNECT=Here\r\n");
    const TrayTexts read = LoadTrayTexts(
        m_profile, common::TextSourceIn(Folder(), common::Language::Chinese), m_notes.Sink());
    EXPECT_EQ(read.caption, "Caption");
    EXPECT_EQ(read.connected, "Here");
    EXPECT_EQ(read.disconnected, builtIn.disconnected);
    for (const std::string* text : {&builtIn.connectedSerial, &builtIn.notConnected,
                                    &builtIn.exitConfirm, &builtIn.saved, &builtIn.notSaved}) {
        EXPECT_FALSE(text->empty());
        EXPECT_NE(*text, contract::language_file::kMissingText);
    }
}

TEST(ButtonCommandMap, HoldsTheElevenCompanionCommands) {
    ButtonCommandMap map;
    const std::map<int, int> expected{{0, 25}, {1, 32}, {2, 23}, {3, 24}, {4, 17}, {5, 16},
                                      {6, 22}, {7, 53}, {8, 37}, {9, 39}, {10, 38}};
    EXPECT_EQ(map.Entries(), expected);
}

TEST(ButtonCommandMap, AnUnknownChoiceJoinsTheMapWithCodeZero) {
    ButtonCommandMap map;
    EXPECT_EQ(map.MapButtonChoice(11), 0);
    EXPECT_EQ(map.MapButtonChoice(-1), 0);
    EXPECT_EQ(map.Entries().size(), 13u);
    EXPECT_EQ(map.Entries().at(11), 0);
    EXPECT_EQ(map.MapButtonChoice(10), 38) << "known entries are untouched";
}

using ButtonSettingsFile = SettingsFiles;

TEST_F(ButtonSettingsFile, EmptySectionGivesTheDefaultFunctions) {
    const std::string path =
        m_dir.Write("DualData.ini", "[LUMERASET]\r\n[hardware]\r\nKEY_TYPE=0\r\n");
    ButtonCommandMap map;
    const ButtonSettings settings = ReadButtonSettings(m_profile, path, map);
    EXPECT_EQ(settings.m_fixedButtonCodes, 0);
    EXPECT_EQ(settings.m_button1Choice, 5);
    EXPECT_EQ(settings.m_button2Choice, 6);
    EXPECT_EQ(settings.m_button1Command, 16);
    EXPECT_EQ(settings.m_button2Command, 22);
}

TEST_F(ButtonSettingsFile, ChoicesMapToCommandsAndOutOfRangeGivesZero) {
    const std::string path = m_dir.Write("DualData.ini", "[lumeraset]\r\n"
                                                         "IF_SET_F_NO_T=1\r\n"
                                                         "BOX1LASTCHOOSE=11\r\n"
                                                         "BOX2LASTCHOOSE=7\r\n");
    ButtonCommandMap map;
    const ButtonSettings settings = ReadButtonSettings(m_profile, path, map);
    EXPECT_EQ(settings.m_fixedButtonCodes, 1);
    EXPECT_EQ(settings.m_button1Choice, 11);
    EXPECT_EQ(settings.m_button1Command, 0);
    EXPECT_EQ(settings.m_button2Command, 53);
    EXPECT_EQ(map.Entries().size(), 12u);
    EXPECT_EQ(map.Entries().at(11), 0);

    // What the settings tool writes for a list without a selection.
    m_dir.Write("DualData.ini", "[LUMERASET]\r\nBOX1LASTCHOOSE=-1\r\nBOX2LASTCHOOSE=0\r\n");
    const ButtonSettings reread = ReadButtonSettings(m_profile, path, map);
    EXPECT_EQ(reread.m_button1Command, 0);
    EXPECT_EQ(reread.m_button2Command, 25);
}

// Values no settings tool writes: read as the Windows integer read reads
// them (wrapping modulo 2^32, 0 without digits), then mapped like any choice.
TEST_F(ButtonSettingsFile, HugeNegativeAndNonNumericChoicesGiveADefinedCommand) {
    struct Case {
        const char* value;
        int choice;
        int command;
    };
    const Case cases[] = {{"99999999999", 1215752191, 0},
                          {"-2147483649", 2147483647, 0},
                          {"4294967301", 5, 16},
                          {"-4", -4, 0},
                          {"abc", 0, 25},
                          {"0x0A", 10, 38},
                          {"  7 trailing", 7, 53},
                          {"", 5, 16}};
    for (const Case& k : cases) {
        const std::string path =
            m_dir.Write("DualData.ini", std::string("[LUMERASET]\r\nBOX1LASTCHOOSE=") + k.value);
        ButtonCommandMap map;
        const ButtonSettings settings = ReadButtonSettings(m_profile, path, map);
        EXPECT_EQ(settings.m_button1Choice, k.choice) << '"' << k.value << '"';
        EXPECT_EQ(settings.m_button1Command, k.command) << '"' << k.value << '"';
    }
}

using HardwareSection = SettingsFiles;

TEST_F(HardwareSection, KeyTypeFollowsTheFunctionAreas) {
    const std::string path = m_dir.Write("DualData.ini", "");
    ASSERT_TRUE(SaveKeyType(m_profile, path, false));
    EXPECT_EQ(m_profile.GetString("hardware", "KEY_TYPE", "", path), "1");
    ASSERT_TRUE(SaveKeyType(m_profile, path, true));
    EXPECT_EQ(m_profile.GetString("hardware", "KEY_TYPE", "", path), "0");
}

TEST_F(HardwareSection, BoardTypeResetKeepsTheRestOfTheFile) {
    const std::string before = "[coordinate]\r\nwdot=3\r\n"
                               "[hardware]\r\nKEY_TYPE=1\r\nBOARD_TYPE=7\r\n"
                               "[LUMERASET]\r\nBOX1LASTCHOOSE=2\r\n";
    const std::string path = m_dir.Write("DualData.ini", before);
    ASSERT_TRUE(ResetBoardType(m_profile, path));
    std::string after = before;
    after.replace(after.find("BOARD_TYPE=7"), 12, "BOARD_TYPE=0");
    EXPECT_EQ(ReadFile(path), after);
}

TEST_F(HardwareSection, WritesToAnUnlocatedFileGoNowhere) {
    EXPECT_FALSE(SaveKeyType(m_profile, "", false));
    EXPECT_FALSE(ResetBoardType(m_profile, ""));
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
}

} // namespace
} // namespace driver
