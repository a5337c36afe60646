// The shared table against the real private-profile functions (under Wine here).
#include <windows.h>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_profile.h"

#include "tests/conformance/profile_conformance.h"

namespace platform {
namespace {

PROFILE_CONFORMANCE_TESTS(Win32ProfileTable, Win32Profile);

TEST(Win32FilesStamp, FollowsWrites) {
    test::TempFolder folder;
    Win32Files files;
    Win32Profile profile;
    test::CheckStampFollowsWrites(files, profile, folder.Path());
}

TEXT_CONFORMANCE_TESTS(Win32ProfileTexts, Win32Profile);

// The driver's language file is code page 936 whatever the system's code
// page; texts for the screen come back decoded, the byte read stays raw.
TEST(Win32ProfileText, DecodesCodePage936OnAnySystem) {
    test::TempFolder folder;
    const std::string path = (folder.Path() / "Language.ini").string();
    test::WriteFileBytes(path, "[String]\r\nIDS_CONNECTCAP=\xCC\xE1\xCA\xBE\r\n"); // GBK
    Win32Profile profile;
    const auto read = [&](std::string_view key, std::size_t capacity) {
        const ProfileText text =
            profile.ReadText("String", key, path, TextEncoding::CodePage936, capacity);
        return text.status == ProfileText::Status::Found ? text.text : "<missing>";
    };
    EXPECT_EQ(read("IDS_CONNECTCAP   ", 260), "提示");
    EXPECT_EQ(profile.GetString("String", "IDS_CONNECTCAP", "", path), "\xCC\xE1\xCA\xBE");
    EXPECT_EQ(read("missing", 260), "<missing>");
    EXPECT_EQ(read("IDS_CONNECTCAP", 2), "提");
}

} // namespace
} // namespace platform
