#include "driver/link/serial_link.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace driver {
namespace {

constexpr const char* kPortNameKey32 =
    "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_1320&Mi_00\\0001_00\\Device Parameters";
constexpr const char* kPortNameKey64 =
    "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_1320\\0001\\Device Parameters";
constexpr const char* kLinkedKey32 =
    "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\{6c292e54-943b-4f84-a45a-d36cca47ea0b}\\"
    "##?#USB#Vid_10c4&Pid_1320#0001#{6c292e54-943b-4f84-a45a-d36cca47ea0b}\\#\\Control";
constexpr const char* kLinkedKey64 =
    "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\{4d36e978-e325-11ce-bfc1-08002be10318}\\"
    "##?#USB#Vid_10c4&Pid_1320#0001#{4d36e978-e325-11ce-bfc1-08002be10318}\\#\\Control";

// Interface key names read "##?#USB#Vid_xxxx&Pid_xxxx#...": the IDs start
// after the 8-character prefix.
constexpr std::size_t kIdSliceOffset = 8;
constexpr std::size_t kIdSliceLength = 17;

std::string Upper(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool IsLinked(std::uint32_t linked) {
    return (linked & 0xFF) == 1;
}

} // namespace

SerialLink::SerialLink(DriverState& state, platform::RegistryPort& registry,
                       platform::SerialPort& port, ReaderThread& reader)
    : m_state(state), m_registry(registry), m_port(port), m_reader(reader) {
    SelectKeyPaths(state.isWow64 != 0);
}

void SerialLink::SelectKeyPaths(bool isWow64) {
    m_isWow64 = isWow64;
    m_portNameKeyPath = isWow64 ? kPortNameKey64 : kPortNameKey32;
    m_linkedKeyPath = isWow64 ? kLinkedKey64 : kLinkedKey32;
}

bool SerialLink::FindSerialPortName() {
    const platform::RegistryKey key = m_registry.OpenKey(m_portNameKeyPath);
    if (key == platform::RegistryKey::None) {
        return false;
    }
    std::string portName;
    const bool read = m_registry.ReadString(key, "PortName", kPortNameBuffer, portName);
    m_registry.CloseKey(key);
    if (!read) {
        return false;
    }
    m_serialPortName = "\\\\.\\" + portName;
    return true;
}

bool SerialLink::FindLinkedSerialInterface(std::string& symbolicLink, std::uint16_t vendorId,
                                           std::uint16_t productId) {
    symbolicLink.clear();
    // "%4x" pads with blanks, not zeros; the board's IDs fill all four places.
    char matchText[32];
    std::snprintf(matchText, sizeof(matchText), "VID_%4x&PID_%4x", unsigned{vendorId},
                  unsigned{productId});
    const std::string match = Upper(matchText);

    const platform::RegistryKey root = m_registry.OpenKey(kInterfaceWalkRoot);
    if (root == platform::RegistryKey::None) {
        return false;
    }
    std::uint32_t subkeys = 0;
    if (!m_registry.QuerySubkeyCount(root, subkeys) || subkeys == 0) {
        m_registry.CloseKey(root);
        return false;
    }

    // Not fixed tables of 50: a crowded walk root would overrun them or
    // hide the board's interface; a vector takes every match, in order.
    struct Candidate {
        std::string controlPath;
        std::string linkPath;
    };
    std::vector<Candidate> candidates;
    for (std::uint32_t index = 0; index < subkeys; ++index) {
        std::string name;
        if (!m_registry.EnumSubkey(root, index, name) || name.size() <= kIdSliceOffset) {
            continue;
        }
        if (Upper(name.substr(kIdSliceOffset, kIdSliceLength)) == match) {
            const std::string path = std::string(kInterfaceWalkRoot) + "\\" + name;
            candidates.push_back({path + "\\#\\Control", path + "\\#"});
        }
    }

    bool anyLinked = false;
    for (const Candidate& candidate : candidates) {
        const platform::RegistryKey control = m_registry.OpenKey(candidate.controlPath);
        if (control == platform::RegistryKey::None) {
            continue;
        }
        std::uint32_t linked = 0;
        if (m_registry.ReadDword(control, "Linked", linked) && IsLinked(linked)) {
            anyLinked = true;
            const platform::RegistryKey link = m_registry.OpenKey(candidate.linkPath);
            if (link != platform::RegistryKey::None) {
                std::string path;
                if (m_registry.ReadString(link, "SymbolicLink", kSymbolicLinkBuffer, path)) {
                    symbolicLink = path;
                }
                m_registry.CloseKey(link);
            }
        }
        m_registry.CloseKey(control);
    }
    m_registry.CloseKey(root);
    return anyLinked;
}

int SerialLink::IsSerialInterfaceLinked() {
    const platform::RegistryKey key = m_registry.OpenKey(m_linkedKeyPath);
    if (key == platform::RegistryKey::None) {
        return 0;
    }
    std::uint32_t linked = 0;
    const bool read = m_registry.ReadDword(key, "Linked", linked);
    m_registry.CloseKey(key);
    return read ? static_cast<int>(linked & 0xFF) : 0;
}

bool SerialLink::OpenSerialPort() {
    if (m_state.linkOpen != 0) {
        return false;
    }
    std::string path = m_serialPortName;
    if (m_isWow64) {
        // Opened through the interface's device path; whether one was found
        // shows only in the open: an empty path fails.
        FindLinkedSerialInterface(path, kVendorId, kProductId);
    }
    if (!m_port.Open(path)) {
        return false;
    }
    m_port.Configure(platform::SerialSettings{});
    m_state.linkOpen = 1;
    return true;
}

bool SerialLink::StartSerialReader() {
    if (!m_reader.CreateSuspended()) {
        m_port.Close();
        m_state.linkOpen = 0;
        return false;
    }
    m_state.linkOpen = 1;
    m_reader.Resume();
    return true;
}

bool SerialLink::WriteSerial(std::span<const std::uint8_t> bytes) {
    if (m_state.linkOpen == 0) {
        return false;
    }
    return m_port.Write(bytes);
}

void SerialLink::CloseSerialPort() {
    // The reader leaves its loop at its next test of the flag, so it is
    // cleared before the purge wakes it.
    if (m_state.linkOpen.exchange(0) == 0) {
        return;
    }
    m_port.SetEventMask(0);
    m_port.Purge(kPurgeAll);
    // A reader still running after the bounded wait is given up on and the
    // port closed all the same, so the device is free for the next connect;
    // the late reader's next port call then fails on the closed handle.
    m_reader.WaitAndRelease(kReaderEndWaitMs);
    m_port.Close();
}

} // namespace driver
