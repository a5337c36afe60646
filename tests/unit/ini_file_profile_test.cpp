#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_files.h"

#include <gtest/gtest.h>

#include "tests/conformance/profile_conformance.h"

namespace platform {
namespace {

PROFILE_CONFORMANCE_TESTS(IniFileProfileTable, IniFileProfile);
TEXT_CONFORMANCE_TESTS(IniFileProfileTexts, IniFileProfile);

TEST(SimFilesStamp, FollowsWrites) {
    test::TempFolder folder;
    SimFiles files{"", ""};
    IniFileProfile profile;
    test::CheckStampFollowsWrites(files, profile, folder.Path());
}

class IniFileProfileTest : public testing::Test {
protected:
    std::string PathOf(const char* name) const { return (m_folder.Path() / name).string(); }

    test::TempFolder m_folder;
    IniFileProfile m_profile;
};

TEST_F(IniFileProfileTest, ReadsTheFileAgainAtEveryCall) {
    const std::string path = PathOf("live.ini");
    test::WriteFileBytes(path, "[s]\r\nk=1\r\n");
    EXPECT_EQ(m_profile.GetInt("s", "k", 0, path), 1);
    test::WriteFileBytes(path, "[s]\r\nk=2\r\n");
    EXPECT_EQ(m_profile.GetInt("s", "k", 0, path), 2);
    EXPECT_EQ(m_profile.GetString("s", "k", "", path), "2");
}

TEST_F(IniFileProfileTest, WriteKeepsTheRestOfTheFileByteForByte) {
    const std::string path = PathOf("keep.ini");
    test::WriteFileBytes(path, ";top\n[s]\n  k =\t1 \n\n[t]\nx=\"y\"");
    ASSERT_TRUE(m_profile.WriteString("S", "K", "22", path));
    ASSERT_TRUE(m_profile.WriteString("t", "z", "3", path));
    EXPECT_EQ(test::ReadFileBytes(path), ";top\n[s]\n  k =\t22\n\n[t]\nx=\"y\"\nz=3\n");
}

TEST_F(IniFileProfileTest, WriteFailsWithoutTouchingAnything) {
    const std::string inMissingFolder = PathOf("missing/a.ini");
    EXPECT_FALSE(m_profile.WriteString("s", "k", "v", inMissingFolder));
    EXPECT_FALSE(std::filesystem::exists(m_folder.Path() / "missing"));

    const std::string folderPath = m_folder.Path().string();
    EXPECT_FALSE(m_profile.WriteString("s", "k", "v", folderPath));
    EXPECT_EQ(m_profile.GetString("s", "k", "def", folderPath), "def");
    EXPECT_EQ(m_profile.GetInt("s", "k", 7, folderPath), 7);
}

TEST_F(IniFileProfileTest, WriteRefusesBlankNames) {
    const std::string path = PathOf("blank.ini");
    EXPECT_FALSE(m_profile.WriteString("", "k", "v", path));
    EXPECT_FALSE(m_profile.WriteString("s", " \t", "v", path));
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
} // namespace platform
