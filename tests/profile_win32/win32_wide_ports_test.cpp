// The Unicode program's files and profile ports against the real functions
// (under Wine here), in folders whose names no ANSI code page holds.
#include "common/settings_location.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_wide_files.h"
#include "platform/win32/win32_wide_profile.h"
#include "tests/conformance/profile_conformance.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// Hangul and a musical symbol outside the basic plane.
const std::string kUnicodeName = "\xED\x95\x9C\xEA\xB8\x80 \xF0\x9D\x84\x9E";

TEST(Win32WideFiles, CreatesCopiesAndFindsFilesUnderUnicodeNames) {
    test::TempFolder folder;
    Win32WideFiles files;
    const std::string base = folder.Path().string() + "\\" + kUnicodeName;
    const std::string nested = base + "\\a\\" + kUnicodeName + "\\";
    ASSERT_TRUE(files.MakeSureDirectoryPathExists(nested + "ignored.ini"));
    EXPECT_TRUE(files.FileExists(nested));
    EXPECT_FALSE(files.FileExists(nested + "DualData.ini"));
    Win32WideProfile profile;
    ASSERT_TRUE(profile.WriteString("LUMERASET", "IF_SET_F_NO_T", "1", base + "\\DualData.ini"));
    ASSERT_TRUE(
        files.Copy(base + "\\DualData.ini", nested + "DualData.ini", IfTargetExists::Replace));
    EXPECT_EQ(profile.GetInt("LUMERASET", "IF_SET_F_NO_T", 0, nested + "DualData.ini"), 1);
    const auto contents = files.ReadContents(nested + "DualData.ini");
    ASSERT_TRUE(contents);
    EXPECT_NE(contents->find("IF_SET_F_NO_T=1"), std::string::npos) << *contents;
    EXPECT_EQ(files.ReadContents(base + "\\DualData.ini"), contents);
    EXPECT_FALSE(files.ReadContents(nested + "none.ini"));
    EXPECT_FALSE(
        files.Copy(base + "\\DualData.ini", nested + "DualData.ini", IfTargetExists::Fail));
    EXPECT_FALSE(files.ModulePath().empty());
    EXPECT_EQ(common::FolderOf(nested + "x.ini", files), nested);
}

// Path limits count what the wide API's buffers hold, not UTF-8 bytes.
TEST(Win32WideFiles, MeasuresPathsInUtf16Units) {
    Win32WideFiles files;
    std::string folder = "C:\\";
    for (int i = 0; i < 120; ++i) {
        folder += "\xE8\xAE\xBE"; // three bytes, one unit
    }
    folder += "\\";
    EXPECT_EQ(files.PathLength(folder), 124u);
    EXPECT_EQ(files.PathLength("\xF0\x9D\x84\x9E"), 2u) << "a surrogate pair";
    EXPECT_EQ(common::PathInFolder(folder, "DualData.ini", files), folder + "DualData.ini");
    const std::string tooLong = folder + std::string(124, 'x') + "\\";
    EXPECT_EQ(common::PathInFolder(tooLong, "DualData.ini", files), "");
}

// The driver reads what the tool writes with the ANSI functions: a new file
// must not come out in UTF-16.
TEST(Win32WideProfile, WritesNewFilesAsTextTheDriverReads) {
    test::TempFolder folder;
    const std::string path = folder.Path().string() + "\\" + kUnicodeName + ".ini";
    Win32WideProfile profile;
    ASSERT_TRUE(profile.WriteString("LUMERASET", "BOX1LASTCHOOSE", "-1", path));
    ASSERT_TRUE(profile.WriteString("LUMERASET", "BOX2LASTCHOOSE", "10", path));
    const auto bytes =
        test::ReadFileBytes(folder.Path() / std::filesystem::u8path(kUnicodeName + ".ini"));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "[LUMERASET]\r\nBOX1LASTCHOOSE=-1\r\nBOX2LASTCHOOSE=10\r\n");
    EXPECT_EQ(profile.GetInt("LUMERASET", "BOX1LASTCHOOSE", 5, path), -1);
    EXPECT_EQ(profile.GetInt("LUMERASET", "missing", 5, path), 5);
}

TEXT_CONFORMANCE_TESTS(Win32WideProfileTexts, Win32WideProfile);

TEST(Win32WideProfile, ReadsTextsUnderUnicodeNamesAndRefusesOverlongPaths) {
    test::TempFolder folder;
    const std::string path = folder.Path().string() + "\\" + kUnicodeName + ".ini";
    test::WriteFileBytes(folder.Path() / std::filesystem::u8path(kUnicodeName + ".ini"),
                         "[SetLumera]\r\nIDOK=OK\r\nIDCANCEL=\r\n");
    Win32WideProfile profile;
    const auto read = [&](std::string_view key, const std::string& file, std::size_t capacity) {
        const ProfileText text =
            profile.ReadText("SetLumera", key, file, TextEncoding::CodePage936, capacity);
        return text.status == ProfileText::Status::Found ? text.text : "<missing>";
    };
    EXPECT_EQ(read("IDOK", path, 260), "OK");
    EXPECT_EQ(read("IDCANCEL", path, 260), "");
    EXPECT_EQ(read("IDC_TOP", path, 260), "<missing>");
    EXPECT_EQ(read("IDOK", path, 2), "O");
    const std::string overlong = folder.Path().string() + "\\" + std::string(300, 'x') + ".ini";
    EXPECT_FALSE(profile.WriteString("SetLumera", "IDOK", "x", overlong));
    EXPECT_EQ(read("IDOK", overlong, 260), "<missing>");
    EXPECT_EQ(profile.GetInt("SetLumera", "IDOK", 7, overlong), 7);
}

} // namespace
} // namespace platform
