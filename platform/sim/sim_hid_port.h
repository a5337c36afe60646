#pragma once

#include "platform/hid_port.h"
#include "platform/sim/sim_clock.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// HID interfaces added and removed by the test. Every open read handle of a
// device gets its own copy of each fed report in a ring that, like the
// system's, drops the oldest report when full. Reads block until a report
// is there or the handle is closed or the device removed.
class SimHidPort : public HidPort {
public:
    static constexpr std::uint32_t kDefaultInputBuffers = 32;
    static constexpr std::uint32_t kMinInputBuffers = 2;
    static constexpr std::uint32_t kMaxInputBuffers = 512;

    enum class Access { Read, Write };

    struct WriteRecord {
        std::string path;
        std::uint32_t atMs = 0;
        std::vector<std::uint8_t> bytes;
    };
    struct OpenRecord {
        std::string path;
        Access access = Access::Read;
        HidHandle handle = kNoHidHandle;
        std::uint32_t atMs = 0;
    };
    struct BufferRequest {
        HidHandle handle = kNoHidHandle;
        std::uint32_t count = 0;
        bool accepted = false;
    };

    explicit SimHidPort(SimClock& clock) : m_clock(clock) {}

    // --- the port ---
    void EnumerateInterfaces(const std::function<bool(const HidInterface&)>& visit) override;
    bool IsPresent(const std::string& path) override;
    HidHandle OpenRead(const std::string& path) override;
    HidHandle OpenWrite(const std::string& path) override;
    std::size_t Read(HidHandle handle, std::span<std::uint8_t> report) override;
    bool Write(HidHandle handle, std::span<const std::uint8_t> report) override;
    void Close(HidHandle handle) override;
    void CancelReads(HidHandle handle) override;
    bool SetInputBufferCount(HidHandle handle, std::uint32_t count) override;

    // --- the test's side ---
    // Appended to the enumeration order; report sizes with the ID byte.
    void AddDevice(std::string path, std::uint16_t vendorId, std::uint16_t productId,
                   std::uint16_t inputReportSize = 21, std::uint16_t outputReportSize = 21);
    // Present, but a query-only open of it fails.
    void AddUnreadableDevice(std::string path);
    // Its handles stay open but fail; it leaves the enumeration.
    void RemoveDevice(const std::string& path);
    void FailOpens(const std::string& path, Access access, bool fail);
    void Feed(const std::string& path, std::span<const std::uint8_t> report);
    // The next cancel comes too early: the read it was meant for has not
    // started yet, so it ends nothing.
    void MissNextCancel() {
        std::lock_guard lock(m_mutex);
        m_missNextCancel = true;
    }

    std::vector<WriteRecord> Writes() const;
    std::vector<OpenRecord> Opens() const;
    std::vector<HidHandle> Closes() const;
    std::vector<BufferRequest> BufferRequests() const;
    int OpenHandleCount() const;
    // Reads currently blocked, so a test can wait until a thread is inside one.
    int BlockedReads() const;
    // Reports waiting on a read handle: a read of it now would not block.
    std::size_t QueuedReports(HidHandle handle) const;
    int Enumerations() const {
        std::lock_guard lock(m_mutex);
        return m_enumerations;
    }

private:
    struct Device {
        std::string path;
        std::optional<HidIds> ids;
        std::uint16_t inputReportSize = 0;
        std::uint16_t outputReportSize = 0;
        bool present = true;
        bool failReadOpen = false;
        bool failWriteOpen = false;
    };
    struct Handle {
        std::string path;
        Access access = Access::Read;
        bool open = true;
        // Raised by a cancel; only reads blocked at that moment end, as a
        // read that starts after a cancel is not touched by it.
        std::uint64_t cancels = 0;
        std::uint32_t inputBuffers = kDefaultInputBuffers;
        std::deque<std::vector<std::uint8_t>> reports;
    };

    Device* FindDevice(const std::string& path);
    HidHandle Open(const std::string& path, Access access);

    SimClock& m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Device> m_devices;
    std::map<HidHandle, Handle> m_handles;
    HidHandle m_nextHandle = 0x400;
    std::vector<WriteRecord> m_writes;
    std::vector<OpenRecord> m_opens;
    std::vector<HidHandle> m_closes;
    std::vector<BufferRequest> m_bufferRequests;
    int m_blockedReads = 0;
    int m_enumerations = 0;
    bool m_missNextCancel = false;
};

} // namespace platform
