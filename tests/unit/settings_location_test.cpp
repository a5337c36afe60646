#include "common/settings_location.h"

#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_security.h"
#include "tests/support/files.h"
#include "tests/support/memory_files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace common {
namespace {

namespace fs = std::filesystem;

using testing_support::ReadFile;

void WriteText(const fs::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// "/QelSoftware/Drivers/DualData.ini" after the app-data folder.
constexpr std::size_t kUserSuffixLength = 33;

class LocateSettings : public ::testing::Test {
protected:
    LocateSettings()
        : m_installFolder(m_dir.Path() / "Program Files" / "Board"),
          m_appData(m_dir.Path() / "AppData" / "Roaming"),
          m_files((m_installFolder / "Dravik.exe").string(), m_appData.string()) {
        fs::create_directories(m_installFolder);
        WriteText(InstalledCopy(), "[LUMERASET]\r\nBOX1LASTCHOOSE=2\r\n");
    }

    std::string Locate(bool isAdmin) { return LocateSettingsFile(m_files, m_clock, isAdmin); }
    fs::path InstalledCopy() const { return m_installFolder / "DualData.ini"; }
    fs::path UserCopy() const { return m_appData / "QelSoftware" / "Drivers" / "DualData.ini"; }

    // A folder under the test's own whose path is exactly length characters.
    std::string PaddedFolder(std::size_t length) const {
        const std::string base = (m_dir.Path() / "").string();
        return base + std::string(length - base.size(), 'p');
    }

    testing_support::TempDir m_dir;
    fs::path m_installFolder;
    fs::path m_appData;
    platform::SimFiles m_files;
    platform::SimClock m_clock;
    platform::IniFileProfile m_profile;
};

TEST_F(LocateSettings, AdministratorUsesTheInstalledCopyAndCopiesNothing) {
    EXPECT_EQ(Locate(true), InstalledCopy().string());
    EXPECT_EQ(m_files.FilesCopied(), 0u);
    EXPECT_FALSE(fs::exists(m_appData));
    EXPECT_EQ(m_clock.TickCount(), 0u);
}

TEST_F(LocateSettings, FirstRunOfAUserCreatesTheFolderChainAndCopiesOnce) {
    ASSERT_FALSE(fs::exists(m_appData));
    const std::string path = Locate(false);
    EXPECT_EQ(path, UserCopy().string());
    EXPECT_EQ(ReadFile(UserCopy()), ReadFile(InstalledCopy()));
    EXPECT_EQ(m_clock.TickCount(), 20u) << "the copy is followed by a 20 ms pause";
    EXPECT_EQ(m_profile.GetInt(contract::settings_file::kButtonSection,
                               contract::settings_file::kFrontChoiceKey, 5, path),
              2);

    EXPECT_EQ(Locate(false), path);
    EXPECT_EQ(m_files.FilesCopied(), 1u);
}

TEST_F(LocateSettings, AUsersOwnCopyIsNeverRefreshed) {
    fs::create_directories(UserCopy().parent_path());
    WriteText(UserCopy(), "[LUMERASET]\r\nBOX1LASTCHOOSE=9\r\n");
    WriteText(InstalledCopy(), "[LUMERASET]\r\nBOX1LASTCHOOSE=1\r\n");
    fs::last_write_time(InstalledCopy(), fs::last_write_time(UserCopy()) + std::chrono::hours(24));

    const std::string path = Locate(false);
    EXPECT_EQ(path, UserCopy().string());
    EXPECT_EQ(m_profile.GetInt(contract::settings_file::kButtonSection,
                               contract::settings_file::kFrontChoiceKey, 5, path),
              9);
    EXPECT_EQ(m_files.FilesCopied(), 0u);
    EXPECT_EQ(m_clock.TickCount(), 0u);
}

TEST_F(LocateSettings, FailedCreationOrCopyStillNamesTheUsersCopy) {
    m_files.FailMakeDirectories(true);
    m_files.FailCopies(true);
    const std::string path = Locate(false);
    EXPECT_EQ(path, UserCopy().string());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(m_profile.GetInt(contract::settings_file::kButtonSection,
                               contract::settings_file::kBackChoiceKey, 6, path),
              6);
}

TEST_F(LocateSettings, OverlongModulePathIsRefusedNotCut) {
    // Folder plus "DualData.ini" at 259 characters fits, at 260 it does not.
    const std::string fits = PaddedFolder(kMaxPathLength - 13) + "/";
    m_files.SetModulePath(fits + "D.exe");
    EXPECT_EQ(Locate(true).size(), kMaxPathLength);

    const std::string tooLong = PaddedFolder(kMaxPathLength - 12) + "/";
    m_files.SetModulePath(tooLong + "D.exe");
    EXPECT_EQ(Locate(true), "");

    // A module path that itself overflows would have been cut by Windows.
    m_files.SetModulePath(PaddedFolder(250) + "/" + std::string(20, 'x') + ".exe");
    EXPECT_EQ(ExecutableFolder(m_files), "");

    // The user still gets a file of their own, created empty by the first write.
    const std::string path = Locate(false);
    EXPECT_EQ(path, UserCopy().string());
    EXPECT_TRUE(fs::is_directory(UserCopy().parent_path()));
    EXPECT_EQ(m_files.FilesCopied(), 0u);
    EXPECT_TRUE(m_profile.WriteString(contract::settings_file::kButtonSection,
                                      contract::settings_file::kUseDefaultsKey, "1", path));
}

TEST_F(LocateSettings, OverlongAppDataPathIsRefusedAndNothingIsCreated) {
    m_files.SetAppDataFolder(PaddedFolder(kMaxPathLength - kUserSuffixLength));
    const std::string fits = Locate(false);
    EXPECT_EQ(fits.size(), kMaxPathLength);
    EXPECT_EQ(ReadFile(fits), ReadFile(InstalledCopy()));

    const std::string appData = PaddedFolder(kMaxPathLength - kUserSuffixLength + 1);
    m_files.SetAppDataFolder(appData);
    const std::string refused = Locate(false);
    EXPECT_EQ(refused, "");
    EXPECT_FALSE(fs::exists(appData));
    EXPECT_EQ(m_files.FilesCopied(), 1u);

    // The refused path reads as a missing file and takes no writes.
    EXPECT_EQ(m_profile.GetInt(contract::settings_file::kButtonSection,
                               contract::settings_file::kFrontChoiceKey, 5, refused),
              5);
    EXPECT_EQ(m_profile.GetString("String", "IDS_CONNECT", contract::language_file::kMissingText,
                                  refused),
              contract::language_file::kMissingText);
    EXPECT_FALSE(m_profile.WriteString("hardware", "KEY_TYPE", "1", refused));
}

TEST_F(LocateSettings, UnknownAppDataFolderIsRefused) {
    m_files.SetAppDataFolder("");
    EXPECT_EQ(Locate(false), "");
    EXPECT_EQ(m_files.FilesCopied(), 0u);
}

TEST(ExecutableFolder, CutsAfterTheLastSeparatorOfEitherKind) {
    platform::SimFiles files("C:\\Program Files\\Board\\Dravik.exe", "");
    platform::SimClock clock;
    EXPECT_EQ(ExecutableFolder(files), "C:\\Program Files\\Board\\");
    EXPECT_EQ(LocateSettingsFile(files, clock, true), "C:\\Program Files\\Board\\DualData.ini");

    EXPECT_EQ(FolderOf("/opt/board\\x/Dravik.exe", files), "/opt/board\\x/");
    EXPECT_EQ(FolderOf("Dravik.exe", files), "");
    EXPECT_EQ(PathInFolder("", "Language.ini"), "") << "never a file in the current folder";
}

TEST(ExecutableFolder, SkipsTheSecondByteOfADoubleByteCharacter) {
    // 0x95 0x5C is one character in the double-byte code pages.
    const std::string modulePath = "C:\\Board\\\x95\x5C"
                                   "Dravik.exe";
    platform::SimFiles files(modulePath, "");
    EXPECT_EQ(ExecutableFolder(files), "C:\\Board\\\x95\\");

    files.SetLeadByteRange(0x81, 0xFE);
    EXPECT_EQ(ExecutableFolder(files), "C:\\Board\\");
    EXPECT_EQ(FolderOf("C:\\\xB0\xE5\\Dravik.exe", files), "C:\\\xB0\xE5\\");
}

// Folders the system would read otherwise than their bytes: one cut at a
// NUL, or ending inside a double-byte character, whose second byte would
// swallow the separator the driver adds. Neither is used; a whole one is.
TEST(LocateSettingsPaths, FoldersTheSystemWouldMisreadAreRefused) {
    using namespace std::string_literals;
    struct Case {
        std::string appData;
        std::string modulePath;
        bool userCopy;
        bool installedCopy;
    };
    const Case cases[] = {
        {"C:\\Users\\u\\\xD6\xD0", "C:\\\xB0\xE5\\Dravik.exe", true, true},
        {"C:\\Users\\u\\\xD6", "C:\\Board\\Dravik.exe", false, true},
        {"C:\\Users\0\\u"s, "C:\\Board\0x\\Dravik.exe"s, false, false},
    };
    for (const Case& k : cases) {
        testing_support::MemoryFiles files(k.modulePath, k.appData);
        files.SetLeadByteRange(0x81, 0xFE);
        platform::SimClock clock;
        EXPECT_EQ(LocateSettingsFile(files, clock, false).empty(), !k.userCopy) << k.appData;
        EXPECT_EQ(files.made.size(), k.userCopy ? 1U : 0U) << k.appData;
        EXPECT_EQ(LocateSettingsFile(files, clock, true).empty(), !k.installedCopy) << k.modulePath;
    }
}

TEST(SimSecurity, TheMutexOutlivesTheSecondInstanceButNotTheFirst) {
    platform::SimMutexRegistry machine;
    auto first = std::make_unique<platform::SimSecurity>(machine);
    EXPECT_FALSE(
        first->CreateSingleInstanceMutex(std::string(contract::driver_window::kInstanceMutex)));
    {
        platform::SimSecurity second(machine);
        EXPECT_TRUE(
            second.CreateSingleInstanceMutex(std::string(contract::driver_window::kInstanceMutex)));
    }
    EXPECT_TRUE(machine.Exists(std::string(contract::driver_window::kInstanceMutex)));
    first.reset();
    EXPECT_FALSE(machine.Exists(std::string(contract::driver_window::kInstanceMutex)));
}

} // namespace
} // namespace common
