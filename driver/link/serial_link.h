#pragma once

#include "driver/state/board_ids.h"
#include "driver/state/driver_state.h"
#include "platform/registry_port.h"
#include "platform/serial_port.h"
#include "platform/trace_port.h"

#include <cstdint>
#include <optional>
#include <string>

namespace driver {

// The board's USB serial bridge: found in the registry, opened and
// configured for overlapped I/O, and closed again. Dialog thread only; the
// reader reads it through its frame source.
class SerialLink {
public:
    static constexpr std::size_t kPortNameBuffer = 80;
    static constexpr std::size_t kSymbolicLinkBuffer = 256;
    static constexpr const char* kInterfaceWalkRoot =
        "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
        "{4d36e978-e325-11ce-bfc1-08002be10318}";

    SerialLink(DriverState& state, platform::RegistryPort& registry, platform::SerialPort& port,
               platform::TracePort& trace);

    // The key paths of the Windows kind; called once the dialog knows it.
    void SelectKeyPaths(bool isWow64);

    bool FindSerialPortName();
    // The device path of the last linked interface that carries the IDs
    // ("" when its link could not be read); none when none is linked.
    std::optional<std::string> FindLinkedSerialInterface(UsbIds ids);
    // The low byte of "Linked" at the board's interface; 0 when unreadable.
    int IsSerialInterfaceLinked();
    // Opens and configures the port and marks the link open; false while a
    // link is open or when the port does not open.
    bool OpenSerialPort();
    // Only once no reader uses the port.
    void ClosePort();

    const std::string& SerialPortName() const { return m_serialPortName; }
    const std::string& PortNameKeyPath() const { return m_portNameKeyPath; }
    const std::string& LinkedKeyPath() const { return m_linkedKeyPath; }

private:
    DriverState& m_state;
    platform::RegistryPort& m_registry;
    platform::SerialPort& m_port;
    platform::TracePort& m_trace;
    bool m_isWow64 = false;
    std::string m_serialPortName = "COM3";
    std::string m_portNameKeyPath;
    std::string m_linkedKeyPath;
};

} // namespace driver
