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

// Language files are written in the ANSI code page; texts for the screen
// must come back decoded, not as raw bytes.
TEST(Win32ProfileText, DecodesTheAnsiCodePage) {
    if (GetACP() != 936) {
        GTEST_SKIP() << "needs the Chinese code page, as the end-to-end environment sets";
    }
    test::TempFolder folder;
    const std::string path = (folder.Path() / "Language.ini").string();
    test::WriteFileBytes(path, "[String]\r\nIDS_CONNECTCAP=\xCC\xE1\xCA\xBE\r\n"); // GBK
    Win32Profile profile;
    EXPECT_EQ(profile.GetText("String", "IDS_CONNECTCAP   ", "GetError", path), "提示");
    EXPECT_EQ(profile.GetString("String", "IDS_CONNECTCAP", "", path), "\xCC\xE1\xCA\xBE");
    EXPECT_EQ(profile.GetText("String", "missing", "GetError", path), "GetError");
    EXPECT_EQ(profile.GetText("String", "IDS_CONNECTCAP", "", path, 2), "提");
}

} // namespace
} // namespace platform
