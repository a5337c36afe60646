#include "platform/sim/sim_serial_port.h"

#include <algorithm>
#include <chrono>

namespace platform {

bool SimSerialPort::Open(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_openedPaths.push_back(path);
    if (m_open) {
        return false; // opened without sharing: a second open is refused
    }
    m_open = !path.empty() && path == m_devicePath;
    if (m_open) {
        m_hungUp = false; // a new line
    }
    return m_open;
}

bool SimSerialPort::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_open;
}

void SimSerialPort::Configure(const SerialSettings& settings) {
    std::lock_guard lock(m_mutex);
    m_configurations.push_back(settings);
}

void SimSerialPort::SetEventMask(std::uint32_t mask) {
    std::lock_guard lock(m_mutex);
    m_eventMasks.push_back(mask);
    m_linkCalls.push_back("mask " + std::to_string(mask));
}

void SimSerialPort::Purge(std::uint32_t flags) {
    {
        std::lock_guard lock(m_mutex);
        m_purges.push_back(flags);
        m_linkCalls.push_back("purge " + std::to_string(flags));
    }
    constexpr std::uint32_t kRxAbort = 0x0002;
    if ((flags & kRxAbort) != 0) {
        Abort();
    }
}

void SimSerialPort::Close() {
    std::lock_guard lock(m_mutex);
    m_open = false;
    ++m_closes;
    m_linkCalls.push_back(m_eventOpen ? "close under the reader" : "close");
}

std::vector<std::string> SimSerialPort::LinkCalls() const {
    std::lock_guard lock(m_mutex);
    return m_linkCalls;
}

void SimSerialPort::SetDevicePath(std::string path) {
    std::lock_guard lock(m_mutex);
    m_devicePath = std::move(path);
}

std::vector<std::string> SimSerialPort::OpenedPaths() const {
    std::lock_guard lock(m_mutex);
    return m_openedPaths;
}

std::vector<SerialSettings> SimSerialPort::Configurations() const {
    std::lock_guard lock(m_mutex);
    return m_configurations;
}

std::vector<std::uint32_t> SimSerialPort::EventMasks() const {
    std::lock_guard lock(m_mutex);
    return m_eventMasks;
}

std::vector<std::uint32_t> SimSerialPort::Purges() const {
    std::lock_guard lock(m_mutex);
    return m_purges;
}

int SimSerialPort::Closes() const {
    std::lock_guard lock(m_mutex);
    return m_closes;
}

bool SimSerialPort::CreateReadEvent() {
    std::lock_guard lock(m_mutex);
    m_eventOpen = !m_failEvent;
    return m_eventOpen;
}

void SimSerialPort::CloseReadEvent() {
    std::lock_guard lock(m_mutex);
    m_eventOpen = false;
}

void SimSerialPort::ClearErrors() {
    std::lock_guard lock(m_mutex);
    ++m_errorClears;
}

bool SimSerialPort::CompleteFromBurst() {
    if (m_bursts.empty()) {
        return false;
    }
    std::vector<std::uint8_t>& burst = m_bursts.front();
    const std::size_t count = std::min({burst.size(), m_pendingBuffer.size(), std::size_t{8}});
    std::copy_n(burst.begin(), count, m_pendingBuffer.begin());
    burst.erase(burst.begin(), burst.begin() + static_cast<std::ptrdiff_t>(count));
    if (burst.empty()) {
        m_bursts.pop_front();
    }
    m_completed = true;
    m_completedBytes = static_cast<std::uint32_t>(count);
    return true;
}

SerialPort::Read SimSerialPort::StartRead(std::span<std::uint8_t> buffer) {
    std::lock_guard lock(m_mutex);
    ++m_readsStarted;
    if (m_failNextRead) {
        m_failNextRead = false;
        return {ReadStatus::Failed, 0};
    }
    m_pendingBuffer = buffer;
    m_completed = false;
    if (CompleteFromBurst()) {
        m_completed = false;
        return {ReadStatus::Done, m_completedBytes};
    }
    m_pending = true;
    m_maxOutstanding = std::max(m_maxOutstanding, ++m_outstanding);
    return {ReadStatus::Pending, 0};
}

bool SimSerialPort::WaitForRead(std::uint32_t milliseconds) {
    std::unique_lock lock(m_mutex);
    if (!m_pending) {
        return true;
    }
    const auto over = [&] {
        return m_completed || m_hungUp || m_lineError;
    };
    if (over() || CompleteFromBurst()) {
        return true;
    }
    if (!m_threaded) {
        m_clock.Advance(milliseconds);
        return false;
    }
    m_arrived.wait_for(lock, std::chrono::milliseconds(milliseconds),
                       [&] { return over() || !m_bursts.empty(); });
    return over() || CompleteFromBurst();
}

SerialPort::Read SimSerialPort::FetchReadResult() {
    std::lock_guard lock(m_mutex);
    if (m_pending && (m_hungUp || m_lineError)) {
        m_lineError = false;
        m_pending = false;
        m_completed = false;
        m_outstanding = 0;
        return {ReadStatus::Failed, 0};
    }
    if (m_pending && !m_completed && !CompleteFromBurst()) {
        return {ReadStatus::Pending, 0};
    }
    const std::uint32_t bytes = m_pending ? m_completedBytes : 0;
    m_pending = false;
    m_completed = false;
    m_outstanding = 0;
    return {ReadStatus::Done, bytes};
}

void SimSerialPort::CancelRead() {
    std::lock_guard lock(m_mutex);
    if (m_pending) {
        ++m_readsCancelled;
    }
    m_pending = false;
    m_completed = false;
    m_outstanding = 0;
}

bool SimSerialPort::Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) {
    std::lock_guard lock(m_mutex);
    if (m_stallWrites) {
        m_clock.Advance(timeoutMs);
        return false;
    }
    m_writes.push_back({m_clock.TickCount(), {bytes.begin(), bytes.end()}});
    return true;
}

void SimSerialPort::Arrive(std::vector<std::uint8_t> bytes) {
    {
        std::lock_guard lock(m_mutex);
        m_bursts.push_back(std::move(bytes));
    }
    m_arrived.notify_all();
}

std::size_t SimSerialPort::QueuedBursts() const {
    std::lock_guard lock(m_mutex);
    return m_bursts.size();
}

void SimSerialPort::HangUp() {
    {
        std::lock_guard lock(m_mutex);
        m_hungUp = true;
    }
    m_arrived.notify_all();
}

void SimSerialPort::LineError() {
    {
        std::lock_guard lock(m_mutex);
        m_lineError = true;
    }
    m_arrived.notify_all();
}

void SimSerialPort::StallWrites(bool stall) {
    std::lock_guard lock(m_mutex);
    m_stallWrites = stall;
}

int SimSerialPort::ReadsCancelled() const {
    std::lock_guard lock(m_mutex);
    return m_readsCancelled;
}

void SimSerialPort::SetThreaded(bool threaded) {
    std::lock_guard lock(m_mutex);
    m_threaded = threaded;
}

void SimSerialPort::FailEventCreation(bool fail) {
    std::lock_guard lock(m_mutex);
    m_failEvent = fail;
}

void SimSerialPort::FailNextRead() {
    std::lock_guard lock(m_mutex);
    m_failNextRead = true;
}

void SimSerialPort::Abort() {
    {
        std::lock_guard lock(m_mutex);
        if (m_pending) {
            m_completed = true;
            m_completedBytes = 0;
        }
    }
    m_arrived.notify_all();
}

std::vector<SimSerialPort::Written> SimSerialPort::Writes() const {
    std::lock_guard lock(m_mutex);
    return m_writes;
}

int SimSerialPort::ReadsStarted() const {
    std::lock_guard lock(m_mutex);
    return m_readsStarted;
}

int SimSerialPort::MaxOutstandingReads() const {
    std::lock_guard lock(m_mutex);
    return m_maxOutstanding;
}

bool SimSerialPort::EventOpen() const {
    std::lock_guard lock(m_mutex);
    return m_eventOpen;
}

int SimSerialPort::ErrorClears() const {
    std::lock_guard lock(m_mutex);
    return m_errorClears;
}

} // namespace platform
