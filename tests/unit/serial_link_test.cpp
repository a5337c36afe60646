#include "driver/link/serial_link.h"
#include "driver/pen/serial_frame_source.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_serial_port.h"
#include "platform/sim/sim_trace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace driver {
namespace {

const std::string kRoot = SerialLink::kInterfaceWalkRoot;
const std::string kPortNameKey32 =
    "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_1320&Mi_00\\0001_00\\Device Parameters";
const std::string kPortNameKey64 =
    "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_1320\\0001\\Device Parameters";
const std::string kLinkedKey32 =
    "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\{6c292e54-943b-4f84-a45a-d36cca47ea0b}\\"
    "##?#USB#Vid_10c4&Pid_1320#0001#{6c292e54-943b-4f84-a45a-d36cca47ea0b}\\#\\Control";
const std::string kLinkedKey64 =
    "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\{4d36e978-e325-11ce-bfc1-08002be10318}\\"
    "##?#USB#Vid_10c4&Pid_1320#0001#{4d36e978-e325-11ce-bfc1-08002be10318}\\#\\Control";
const std::string kBoardInterface =
    "##?#USB#Vid_10c4&Pid_1320#0001#{4d36e978-e325-11ce-bfc1-08002be10318}";
const std::string kBoardDevicePath =
    "\\\\?\\USB#Vid_10c4&Pid_1320#0001#{4d36e978-e325-11ce-bfc1-08002be10318}";

// An interface key under the walk root, with its "Linked" and "SymbolicLink"
// values when given.
void AddInterface(platform::SimRegistry& registry, const std::string& name,
                  std::optional<std::uint32_t> linked, const std::string& symbolicLink = "") {
    const std::string key = kRoot + "\\" + name;
    registry.AddKey(key);
    if (linked) {
        registry.SetDword(key + "\\#\\Control", "Linked", *linked);
    }
    if (!symbolicLink.empty()) {
        registry.SetString(key + "\\#", "SymbolicLink", symbolicLink);
    }
}

class SerialLinkTest : public ::testing::Test {
protected:
    // A 32-bit connect as the connect timer makes it.
    bool Connect32() {
        registry.SetString(kPortNameKey32, "PortName", "COM7");
        link.SelectKeyPaths(false);
        return link.FindSerialPortName() && link.OpenSerialPort();
    }

    platform::SimRegistry registry;
    platform::SimClock clock;
    platform::SimTrace trace;
    DriverState state;
    platform::SimSerialPort port{clock};
    SerialLink link{state, registry, port, trace};
};

TEST_F(SerialLinkTest, PortNameComesFromTheKeyOfTheWindowsKind) {
    registry.SetString(kPortNameKey32, "PortName", "COM5");
    link.SelectKeyPaths(false);
    ASSERT_TRUE(link.FindSerialPortName());
    EXPECT_EQ(link.SerialPortName(), "\\\\.\\COM5");

    link.SelectKeyPaths(true);
    EXPECT_FALSE(link.FindSerialPortName()) << "the 64-bit key is missing";
    EXPECT_EQ(link.SerialPortName(), "\\\\.\\COM5");
    registry.SetString(kPortNameKey64, "PortName", "COM9");
    ASSERT_TRUE(link.FindSerialPortName());
    EXPECT_EQ(link.SerialPortName(), "\\\\.\\COM9");
    EXPECT_EQ(registry.OpenKeyCount(), 0);
}

TEST_F(SerialLinkTest, PortNameMustFitEightyBytesWithItsTerminator) {
    link.SelectKeyPaths(false);
    registry.AddKey(kPortNameKey32);
    EXPECT_FALSE(link.FindSerialPortName()) << "no value";
    registry.SetDword(kPortNameKey32, "PortName", 7);
    EXPECT_FALSE(link.FindSerialPortName()) << "not a string";
    registry.SetString(kPortNameKey32, "PortName", std::string(80, 'C'));
    EXPECT_FALSE(link.FindSerialPortName());
    EXPECT_EQ(link.SerialPortName(), "COM3");
    EXPECT_EQ(registry.OpenKeyCount(), 0);

    registry.SetString(kPortNameKey32, "PortName", std::string(79, 'C'));
    ASSERT_TRUE(link.FindSerialPortName());
    EXPECT_EQ(link.SerialPortName(), "\\\\.\\" + std::string(79, 'C'));
}

// Values of the wrong type or length, as a broken driver installation may
// leave them: a string is taken only as REG_SZ that fits its buffer with a
// terminator, up to its first NUL; a number only as a 4-byte REG_DWORD.
TEST_F(SerialLinkTest, RegistryValuesOfTheWrongTypeOrLengthAreNotTaken) {
    using platform::SimRegistry;
    using Bytes = std::vector<std::uint8_t>;
    const auto text = [](std::string value, bool terminated) {
        Bytes bytes(value.begin(), value.end());
        if (terminated) {
            bytes.push_back(0);
        }
        return bytes;
    };
    struct Case {
        const char* what;
        std::uint32_t type;
        Bytes data;
        std::optional<std::string> portName; // as read; none: not taken
    };
    const Case portNames[] = {
        {"REG_EXPAND_SZ", 2, text("COM4", true), std::nullopt},
        {"REG_MULTI_SZ", 7, text("COM4", true), std::nullopt},
        {"REG_BINARY", 3, text("COM4", true), std::nullopt},
        {"REG_DWORD", 4, {4, 0, 0, 0}, std::nullopt},
        {"no terminator", 1, text("COM4", false), "COM4"},
        {"80 bytes, no terminator", 1, text(std::string(80, 'C'), false), std::nullopt},
        {"79 bytes and a terminator", 1, text(std::string(79, 'C'), true), std::string(79, 'C')},
        {"a NUL inside", 1, text(std::string("COM4\0junk", 9), true), "COM4"},
        {"empty", 1, {}, ""},
    };
    link.SelectKeyPaths(false);
    for (const Case& k : portNames) {
        registry.SetValue(kPortNameKey32, "PortName", k.type, k.data);
        const std::string before = link.SerialPortName();
        EXPECT_EQ(link.FindSerialPortName(), k.portName.has_value()) << k.what;
        EXPECT_EQ(link.SerialPortName(), k.portName ? "\\\\.\\" + *k.portName : before) << k.what;
    }

    struct Flag {
        const char* what;
        std::uint32_t type;
        Bytes data;
        int linked;
    };
    const Flag flags[] = {
        {"REG_DWORD 1", 4, {1, 0, 0, 0}, 1},
        {"low byte 1 of 0x101", 4, {1, 1, 0, 0}, 1},
        {"REG_SZ \"1\"", 1, text("1", true), 0},
        {"REG_BINARY 1", 3, {1, 0, 0, 0}, 0},
        {"REG_DWORD of 2 bytes", 4, {1, 0}, 0},
        {"REG_DWORD of 8 bytes", 4, {1, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"REG_QWORD 1", 11, {1, 0, 0, 0, 0, 0, 0, 0}, 0},
    };
    for (const Flag& k : flags) {
        registry.SetValue(kLinkedKey32, "Linked", k.type, k.data);
        EXPECT_EQ(link.IsSerialInterfaceLinked(), k.linked) << k.what;
        AddInterface(registry, kBoardInterface, std::nullopt);
        registry.SetValue(kRoot + "\\" + kBoardInterface + "\\#\\Control", "Linked", k.type,
                          k.data);
        registry.SetValue(kRoot + "\\" + kBoardInterface + "\\#", "SymbolicLink", k.type, k.data);
        const std::optional<std::string> found = link.FindLinkedSerialInterface(kSerialBridgeIds);
        EXPECT_EQ(found.has_value(), k.linked == 1) << k.what;
        EXPECT_EQ(found.value_or(""), "") << k.what << ": a link that is no string";
    }
    EXPECT_EQ(registry.OpenKeyCount(), 0);
}

TEST_F(SerialLinkTest, NoLinkedInterfaceFound) {
    struct Case {
        const char* what;
        std::uint16_t vendorId;
        std::function<void(platform::SimRegistry&)> build;
    };
    const std::string tail = "#0001#{4d36e978-e325-11ce-bfc1-08002be10318}";
    const std::vector<Case> cases = {
        {"no walk root", 0x10C4,
         [](auto&) {
         }},
        {"walk root without subkeys", 0x10C4,
         [](auto& r) {
             r.AddKey(kRoot);
         }},
        {"other product and vendor", 0x10C4,
         [&](auto& r) {
             AddInterface(r, "##?#USB#Vid_10c4&Pid_1321" + tail, 1, kBoardDevicePath);
             AddInterface(r, "##?#USB#Vid_10c5&Pid_1320" + tail, 1, kBoardDevicePath);
         }},
        {"IDs cut short: 24 characters", 0x10C4,
         [](auto& r) {
             AddInterface(r, "##?#USB#Vid_10c4&Pid_132", 1, kBoardDevicePath);
         }},
        {"IDs not at offset 8", 0x10C4,
         [&](auto& r) {
             AddInterface(r, "#?#USB#Vid_10c4&Pid_1320" + tail, 1, kBoardDevicePath);
         }},
        {"zero-padded ID where the format pads with blanks", 0x45,
         [&](auto& r) {
             AddInterface(r, "##?#USB#Vid_0045&Pid_1320" + tail, 1, kBoardDevicePath);
         }},
        {"matching but not linked", 0x10C4,
         [](auto& r) {
             AddInterface(r, kBoardInterface + "a", 0x100, kBoardDevicePath);
             AddInterface(r, kBoardInterface + "b", 2, kBoardDevicePath);
             AddInterface(r, kBoardInterface + "c", std::nullopt, kBoardDevicePath);
         }},
    };
    for (const Case& c : cases) {
        platform::SimRegistry scene;
        c.build(scene);
        SerialLink probe{state, scene, port, trace};
        EXPECT_EQ(probe.FindLinkedSerialInterface({c.vendorId, 0x1320}), std::nullopt) << c.what;
        EXPECT_EQ(scene.OpenKeyCount(), 0) << c.what;
    }
}

TEST_F(SerialLinkTest, SliceOfTwentyFiveCharactersMatchesIgnoringCase) {
    AddInterface(registry, "##?#usb#vID_10C4&pid_1320", 1, "\\\\?\\short");
    EXPECT_EQ(link.FindLinkedSerialInterface({0x10C4, 0x1320}), "\\\\?\\short");

    // Vendor 0x45 prints as "VID_  45".
    AddInterface(registry, "##?#USB#Vid_  45&Pid_  7a#0001", 1, "\\\\?\\padded");
    EXPECT_EQ(link.FindLinkedSerialInterface({0x45, 0x7A}), "\\\\?\\padded");
}

TEST_F(SerialLinkTest, LastLinkedInterfaceGivesThePathAndOnlyTheLowByteCounts) {
    AddInterface(registry, kBoardInterface + "1", 1, "\\\\?\\first");
    AddInterface(registry, kBoardInterface + "2", 0x100, "\\\\?\\not linked");
    AddInterface(registry, kBoardInterface + "3", 0x101, "\\\\?\\third");
    // Linked, but its path cannot be read: the one before stands.
    AddInterface(registry, kBoardInterface + "4", 1);
    EXPECT_EQ(link.FindLinkedSerialInterface({0x10C4, 0x1320}), "\\\\?\\third");
    EXPECT_EQ(registry.OpenKeyCount(), 0);
}

TEST_F(SerialLinkTest, CrowdedWalkRootIsWalkedToTheEnd) {
    // 60 foreign and 60 matching interfaces, interleaved; only the last
    // match, subkey 119, is linked.
    for (int i = 0; i < 60; ++i) {
        AddInterface(registry, "##?#USB#Vid_1234&Pid_5678#" + std::to_string(i), 1, "\\\\?\\x");
        AddInterface(registry, kBoardInterface + std::to_string(i), i == 59 ? 1 : 0,
                     "\\\\?\\board " + std::to_string(i));
    }
    EXPECT_EQ(link.FindLinkedSerialInterface({0x10C4, 0x1320}), "\\\\?\\board 59");
    EXPECT_EQ(registry.OpenKeyCount(), 0);
}

TEST_F(SerialLinkTest, InterfaceLinkedIsTheLowByteAtTheKeyOfTheWindowsKind) {
    link.SelectKeyPaths(false);
    EXPECT_EQ(link.IsSerialInterfaceLinked(), 0) << "no key";
    registry.SetDword(kLinkedKey32, "Linked", 0x101);
    EXPECT_EQ(link.IsSerialInterfaceLinked(), 1);
    registry.SetDword(kLinkedKey32, "Linked", 0x1FF);
    EXPECT_EQ(link.IsSerialInterfaceLinked(), 0xFF);

    link.SelectKeyPaths(true);
    EXPECT_EQ(link.IsSerialInterfaceLinked(), 0);
    registry.SetDword(kLinkedKey64, "Linked", 1);
    EXPECT_EQ(link.IsSerialInterfaceLinked(), 1);
    EXPECT_EQ(registry.OpenKeyCount(), 0);
}

TEST_F(SerialLinkTest, ThirtyTwoBitConnectOpensThePortNameWithTheBoardsSettings) {
    // A linked interface is there but the 32-bit kind does not look at it.
    AddInterface(registry, kBoardInterface, 1, kBoardDevicePath);
    ASSERT_TRUE(Connect32());
    EXPECT_EQ(state.linkOpen, 1);
    EXPECT_EQ(port.OpenedPaths(), std::vector<std::string>{"\\\\.\\COM7"});
    const auto configurations = port.Configurations();
    ASSERT_EQ(configurations.size(), 1U);
    const platform::SerialSettings& set = configurations[0];
    EXPECT_EQ(set.readIntervalTimeoutMs, 3U);
    EXPECT_EQ(set.inQueue, 2048U);
    EXPECT_EQ(set.outQueue, 1024U);
    EXPECT_EQ(set.baudRate, 57600U);
    EXPECT_EQ(set.byteSize, 8);
    EXPECT_EQ(set.stopBits, 0) << "one stop bit";
    EXPECT_EQ(set.eventMask, 0x81U);

    // A second open leaves the open link alone.
    EXPECT_FALSE(link.OpenSerialPort());
    EXPECT_EQ(port.OpenedPaths().size(), 1U);
    EXPECT_EQ(port.Configurations().size(), 1U);
    EXPECT_EQ(port.Closes(), 0);
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(SerialLinkTest, SixtyFourBitConnectNeedsPortNameAndLinkedInterface) {
    port.SetDevicePath(kBoardDevicePath);
    link.SelectKeyPaths(true);
    AddInterface(registry, kBoardInterface, 0, kBoardDevicePath);
    EXPECT_FALSE(link.FindSerialPortName()) << "no port name: the connect stops here";

    registry.SetString(kPortNameKey64, "PortName", "COM7");
    ASSERT_TRUE(link.FindSerialPortName());
    EXPECT_FALSE(link.OpenSerialPort()) << "not linked";
    EXPECT_EQ(port.OpenedPaths(), std::vector<std::string>{""});
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_TRUE(port.Configurations().empty());

    registry.SetDword(kRoot + "\\" + kBoardInterface + "\\#\\Control", "Linked", 1);
    ASSERT_TRUE(link.OpenSerialPort());
    EXPECT_EQ(port.OpenedPaths().back(), kBoardDevicePath) << "not " << link.SerialPortName();
    EXPECT_EQ(state.linkOpen, 1);
    EXPECT_EQ(port.Configurations().size(), 1U);
}

TEST_F(SerialLinkTest, WritesGoOutOnlyWhileTheLinkIsOpen) {
    SerialFrameSource source{port, clock, state, trace};
    EXPECT_FALSE(source.WriteSerial(StartCommand));
    EXPECT_FALSE(source.Wake());
    EXPECT_TRUE(port.Writes().empty());

    ASSERT_TRUE(Connect32());
    EXPECT_TRUE(source.WriteSerial(StartCommand));
    EXPECT_TRUE(source.Wake());
    ASSERT_EQ(port.Writes().size(), 2U);
    EXPECT_EQ(port.Writes()[1].bytes,
              std::vector<std::uint8_t>(StartCommand.begin(), StartCommand.end()));
}

} // namespace
} // namespace driver
