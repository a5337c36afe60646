#pragma once

#include "platform/serial_port.h"
#include "platform/sim/sim_clock.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// A serial port fed by the test. Each Arrive() is a burst of bytes that
// reaches the port together; a read returns at most 8 bytes and never runs
// across a burst, as the port's short inter-byte time-out ends a read at a
// pause. Without data, a wait either moves the virtual clock by its full
// time (stepped mode) or blocks on real time until bytes arrive or the port
// is aborted (threaded mode).
class SimSerialPort : public SerialPort {
public:
    explicit SimSerialPort(SimClock& clock) : m_clock(clock) {}

    bool Open(const std::string& path) override;
    bool IsOpen() const override;
    void Configure(const SerialSettings& settings) override;
    void SetEventMask(std::uint32_t mask) override;
    void Purge(std::uint32_t flags) override;
    void Close() override;

    bool CreateReadEvent() override;
    void CloseReadEvent() override;
    void ClearErrors() override;
    Read StartRead(std::span<std::uint8_t> buffer) override;
    bool WaitForRead(std::uint32_t milliseconds) override;
    Read FetchReadResult() override;
    void CancelRead() override;
    bool Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) override;

    // --- the test's side ---
    // Only this path opens; any other fails as a missing port does, and so
    // does a second open while the port is open.
    void SetDevicePath(std::string path);
    std::vector<std::string> OpenedPaths() const;
    std::vector<SerialSettings> Configurations() const;
    std::vector<std::uint32_t> EventMasks() const;
    std::vector<std::uint32_t> Purges() const;
    int Closes() const;
    // The link's calls in order: "mask 0", "purge 15", "close"; a close while
    // the reader still holds its event reads "close under the reader".
    std::vector<std::string> LinkCalls() const;
    void Arrive(std::vector<std::uint8_t> bytes);
    // Bursts that arrived and are not read yet, so a feeding thread can keep
    // pace with the reader.
    std::size_t QueuedBursts() const;
    void SetThreaded(bool threaded);
    void FailEventCreation(bool fail);
    // The next read start fails, as a removed device makes it.
    void FailNextRead();
    // Completes an outstanding read with nothing, as a purge does.
    void Abort();
    // Makes the outstanding read and every later one end in an error, as a
    // port that hung up does, until the port is opened again.
    void HangUp();
    // One error on the line: the outstanding read, or the next one, ends in
    // an error; reads after it work.
    void LineError();
    // Writes never complete (flow control holds them), until released: they
    // fail after their time-out, in virtual time.
    void StallWrites(bool stall);

    struct Written {
        std::uint64_t atMs = 0; // virtual clock
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Written> Writes() const;
    int ReadsStarted() const;
    int ReadsCancelled() const;
    int MaxOutstandingReads() const;
    bool EventOpen() const;
    int ErrorClears() const;

private:
    // Completes the outstanding read from the next burst; lock held.
    bool CompleteFromBurst();

    SimClock& m_clock;
    std::string m_devicePath = "\\\\.\\COM7";
    bool m_open = false;
    std::vector<std::string> m_openedPaths;
    std::vector<SerialSettings> m_configurations;
    std::vector<std::uint32_t> m_eventMasks;
    std::vector<std::uint32_t> m_purges;
    int m_closes = 0;
    std::vector<std::string> m_linkCalls;
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<std::vector<std::uint8_t>> m_bursts;
    std::span<std::uint8_t> m_pendingBuffer;
    bool m_pending = false;
    bool m_completed = false;
    std::uint32_t m_completedBytes = 0;
    bool m_threaded = false;
    bool m_failEvent = false;
    bool m_failNextRead = false;
    bool m_hungUp = false;
    bool m_lineError = false;
    bool m_stallWrites = false;
    int m_readsCancelled = 0;
    bool m_eventOpen = false;
    int m_readsStarted = 0;
    int m_outstanding = 0;
    int m_maxOutstanding = 0;
    int m_errorClears = 0;
    std::vector<Written> m_writes;
};

} // namespace platform
