#pragma once

#include "driver/link/reader_thread.h"
#include "driver/state/driver_state.h"
#include "platform/registry_port.h"
#include "platform/serial_port.h"

#include <cstdint>
#include <span>
#include <string>

namespace driver {

// The board's USB serial bridge: found in the registry, opened and
// configured for overlapped I/O, read by the reader thread and closed
// again. Everything but WriteSerial runs on the dialog thread.
class SerialLink {
public:
    static constexpr std::uint16_t kVendorId = 0x10C4;
    static constexpr std::uint16_t kProductId = 0x1320;
    // Purge aborts the pending read, so a reader normally ends within one
    // pass of its loop; this only bounds a reader that is stuck elsewhere.
    static constexpr std::uint32_t kReaderEndWaitMs = 5000;
    // PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR
    static constexpr std::uint32_t kPurgeAll = 0x0F;
    static constexpr std::size_t kPortNameBuffer = 80;
    static constexpr std::size_t kSymbolicLinkBuffer = 256;

    static constexpr const char* kInterfaceWalkRoot =
        "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
        "{4d36e978-e325-11ce-bfc1-08002be10318}";

    SerialLink(DriverState& state, platform::RegistryPort& registry, platform::SerialPort& port,
               ReaderThread& reader);

    // The key paths of the Windows kind; called once the dialog knows it.
    void SelectKeyPaths(bool isWow64);

    bool FindSerialPortName();
    // True when a matching interface is linked; symbolicLink gets the
    // device path of the last linked one (empty when none could be read).
    bool FindLinkedSerialInterface(std::string& symbolicLink, std::uint16_t vendorId,
                                   std::uint16_t productId);
    // The low byte of "Linked" at the board's interface; 0 when unreadable.
    int IsSerialInterfaceLinked();
    bool OpenSerialPort();
    bool StartSerialReader();
    // Reader thread; false when no link is open or the write failed.
    bool WriteSerial(std::span<const std::uint8_t> bytes);
    void CloseSerialPort();

    const std::string& SerialPortName() const { return m_serialPortName; }
    const std::string& PortNameKeyPath() const { return m_portNameKeyPath; }
    const std::string& LinkedKeyPath() const { return m_linkedKeyPath; }

private:
    DriverState& m_state;
    platform::RegistryPort& m_registry;
    platform::SerialPort& m_port;
    ReaderThread& m_reader;
    bool m_isWow64 = false;
    std::string m_serialPortName = "COM3";
    std::string m_portNameKeyPath;
    std::string m_linkedKeyPath;
};

// The serial port as the reader thread should see it: everything goes to the
// port, except that writes go through WriteSerial, so a start command after
// the link was closed is dropped instead of reaching a purged port.
class ReaderSerialPort final : public platform::SerialPort {
public:
    ReaderSerialPort(platform::SerialPort& port, SerialLink& link) : m_port(port), m_link(link) {}

    bool Open(const std::string& path) override { return m_port.Open(path); }
    bool IsOpen() const override { return m_port.IsOpen(); }
    void Configure(const platform::SerialSettings& settings) override {
        m_port.Configure(settings);
    }
    void SetEventMask(std::uint32_t mask) override { m_port.SetEventMask(mask); }
    void Purge(std::uint32_t flags) override { m_port.Purge(flags); }
    void Close() override { m_port.Close(); }

    bool CreateReadEvent() override { return m_port.CreateReadEvent(); }
    void CloseReadEvent() override { m_port.CloseReadEvent(); }
    void ClearErrors() override { m_port.ClearErrors(); }
    ReadStart StartRead(std::span<std::uint8_t> buffer, std::uint32_t& bytesRead) override {
        return m_port.StartRead(buffer, bytesRead);
    }
    bool WaitForRead(std::uint32_t milliseconds) override {
        return m_port.WaitForRead(milliseconds);
    }
    ReadResult FetchReadResult(std::uint32_t& bytesRead) override {
        return m_port.FetchReadResult(bytesRead);
    }
    bool Write(std::span<const std::uint8_t> bytes) override { return m_link.WriteSerial(bytes); }

private:
    platform::SerialPort& m_port;
    SerialLink& m_link;
};

} // namespace driver
