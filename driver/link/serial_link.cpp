#include "driver/link/serial_link.h"

#include <string_view>
#include <vector>

namespace driver {

static_assert(
    std::string_view(SerialLink::kInterfaceWalkRoot).ends_with(kSerialClass64.registryKey),
    "the walk covers the 64-bit serial class");

namespace {

bool IsLinked(std::uint32_t linked) {
    return (linked & 0xFF) == 1;
}

// "Vid_10c4&Pid_1320", as the bridge's key names spell it.
std::string BridgeKeyIds() {
    return "Vid_" + Hex4(kSerialBridgeIds.vendorId) + "&Pid_" + Hex4(kSerialBridgeIds.productId);
}

std::string LinkedKeyPathOf(std::string_view classGuid) {
    const std::string guid(classGuid);
    return "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\" + guid + "\\##?#USB#" +
           BridgeKeyIds() + "#0001#" + guid + "\\#\\Control";
}

} // namespace

SerialLink::SerialLink(DriverState& state, platform::RegistryPort& registry,
                       platform::SerialPort& port, platform::TracePort& trace)
    : m_state(state), m_registry(registry), m_port(port), m_trace(trace) {
    SelectKeyPaths(state.isWow64 != 0);
}

void SerialLink::SelectKeyPaths(bool isWow64) {
    m_isWow64 = isWow64;
    const std::string enumKey = "SYSTEM\\CurrentControlSet\\Enum\\USB\\" + BridgeKeyIds();
    m_portNameKeyPath = isWow64 ? enumKey + "\\0001\\Device Parameters"
                                : enumKey + "&Mi_00\\0001_00\\Device Parameters";
    m_linkedKeyPath = LinkedKeyPathOf((isWow64 ? kSerialClass64 : kSerialClass32).registryKey);
}

bool SerialLink::FindSerialPortName() {
    const platform::RegistryKey key = m_registry.OpenKey(m_portNameKeyPath);
    if (!key) {
        return false;
    }
    const std::optional<std::string> portName =
        m_registry.ReadString(key, "PortName", kPortNameBuffer);
    if (!portName) {
        return false;
    }
    m_serialPortName = "\\\\.\\" + *portName;
    return true;
}

std::optional<std::string> SerialLink::FindLinkedSerialInterface(UsbIds ids) {
    const platform::RegistryKey root = m_registry.OpenKey(kInterfaceWalkRoot);
    if (!root) {
        return std::nullopt;
    }
    const std::uint32_t subkeys = m_registry.SubkeyCount(root).value_or(0);

    // Not fixed tables of 50: a crowded walk root would overrun them or
    // hide the board's interface; a vector takes every match, in order.
    std::vector<std::string> candidates;
    for (std::uint32_t index = 0; index < subkeys; ++index) {
        const std::optional<std::string> name = m_registry.EnumSubkey(root, index);
        if (name && InterfaceNameCarriesIds(*name, ids)) {
            candidates.push_back(std::string(kInterfaceWalkRoot) + "\\" + *name);
        }
    }

    std::optional<std::string> linkedPath;
    for (const std::string& candidate : candidates) {
        const platform::RegistryKey control = m_registry.OpenKey(candidate + "\\#\\Control");
        if (!control || !IsLinked(m_registry.ReadDword(control, "Linked").value_or(0))) {
            continue;
        }
        linkedPath = linkedPath.value_or("");
        if (const platform::RegistryKey link = m_registry.OpenKey(candidate + "\\#")) {
            if (auto path = m_registry.ReadString(link, "SymbolicLink", kSymbolicLinkBuffer)) {
                linkedPath = std::move(*path);
            }
        }
    }
    return linkedPath;
}

int SerialLink::IsSerialInterfaceLinked() {
    const platform::RegistryKey key = m_registry.OpenKey(m_linkedKeyPath);
    if (!key) {
        return 0;
    }
    return static_cast<int>(m_registry.ReadDword(key, "Linked").value_or(0) & 0xFF);
}

bool SerialLink::OpenSerialPort() {
    if (m_state.linkOpen != 0) {
        return false;
    }
    // Left open when the HID link took over; it would keep the device busy.
    if (m_port.IsOpen()) {
        ClosePort();
    }
    std::string path = m_serialPortName;
    if (m_isWow64) {
        // Opened through the interface's device path; none found shows only
        // in the open, as an empty path fails.
        const std::optional<std::string> linked = FindLinkedSerialInterface(kSerialBridgeIds);
        if (!linked) {
            m_trace.Failure("OpenSerialPort", 0, "no linked serial interface of the board");
        }
        path = linked.value_or("");
    }
    if (!m_port.Open(path)) {
        return false;
    }
    m_port.Configure(platform::SerialSettings{});
    m_state.linkOpen = 1;
    return true;
}

void SerialLink::ClosePort() {
    if (m_port.IsOpen()) {
        m_port.Close();
    }
}

} // namespace driver
