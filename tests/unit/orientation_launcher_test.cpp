#include "driver/pointer/orientation_launcher.h"

#include "common/program_contract.h"
#include "tests/support/sim_machine.h"

#include <gtest/gtest.h>

namespace driver {
namespace {

class OrientationLauncherTest : public ::testing::Test {
protected:
    OrientationLauncherTest() {
        m_state.settingsPath = m_machine.InstalledFile("DualData.ini");
        m_state.orientationForwardAll = 1;
    }

    std::string OrientKey() {
        return m_machine.profile.GetString(contract::settings_file::kCoordinateSection,
                                           contract::settings_file::kOrientKey, "unset",
                                           m_state.settingsPath);
    }

    testing_support::SimMachine m_machine;
    DriverState m_state;
    OrientationLauncher m_launcher{m_machine.desktop, m_machine.profile, m_machine.files,
                                   m_machine.shell, m_state};
};

TEST_F(OrientationLauncherTest, RunningProgramIsClosedAndNothingStarts) {
    const auto orient = m_machine.desktop.CreateLoggingWindow(
        std::string(contract::orientation::kWindowClass), "any");
    EXPECT_EQ(m_launcher.StartOrientation(), 1);
    EXPECT_EQ(m_machine.desktop.MessagesTo(orient),
              (std::vector<platform::PostedMessage>{{0, 0x10, 1, 1}}));
    EXPECT_TRUE(m_machine.shell.Opened().empty());
    EXPECT_EQ(OrientKey(), "unset");
    EXPECT_EQ(m_state.orientationForwardAll.load(), 0);
}

TEST_F(OrientationLauncherTest, ProgramBesideTheDriverStartsAfterTheFlagIsWritten) {
    m_machine.shell.FailOpens(true);
    EXPECT_EQ(m_launcher.StartOrientation(), 1);
    EXPECT_EQ(OrientKey(), "1");
    const std::string folder = m_machine.InstalledFile("");
    EXPECT_EQ(m_machine.shell.Opened(),
              (std::vector<platform::OpenedProgram>{{folder + "Orient.exe", "", folder, 5}}));
    EXPECT_EQ(m_state.orientationForwardAll.load(), 0);

    m_machine.files.SetModulePath("C:\\" + std::string(300, 'a') + "\\Dravik.exe");
    EXPECT_EQ(m_launcher.StartOrientation(), 1);
    EXPECT_EQ(m_machine.shell.Opened().size(), 1U); // a cut path starts nothing
}

} // namespace
} // namespace driver
