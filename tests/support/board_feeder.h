#pragma once

#include "driver/pen/hid_device.h"
#include "driver/pen/pen_frame.h"
#include "platform/sim/sim_hid_port.h"
#include "platform/sim/sim_serial_port.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace testing_support {

// The board on a thread of its own: writes the frames next() makes to a
// threaded serial port, one burst each, never more than a few ahead of the
// reader, until stopped.
class BoardFeeder {
public:
    static constexpr std::size_t kAhead = 16;

    BoardFeeder(platform::SimSerialPort& port, std::function<driver::PenFrame(std::uint64_t)> next)
        : m_port(port), m_next(std::move(next)), m_thread([this] { Run(); }) {}
    ~BoardFeeder() { Stop(); }
    BoardFeeder(const BoardFeeder&) = delete;
    BoardFeeder& operator=(const BoardFeeder&) = delete;

    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    std::uint64_t Sent() const { return m_sent; }

private:
    void Run() {
        while (!m_stop) {
            if (m_port.QueuedBursts() >= kAhead) {
                std::this_thread::yield();
                continue;
            }
            const driver::PenFrame frame = m_next(m_sent);
            m_port.Arrive({frame.begin(), frame.end()});
            ++m_sent;
        }
    }

    platform::SimSerialPort& m_port;
    std::function<driver::PenFrame(std::uint64_t)> m_next;
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_sent{0};
    std::thread m_thread; // last: it starts once everything it uses exists
};

// The same for the board's HID interface: input reports carrying the frames,
// a few ahead of whatever read handle the driver has open on path.
class HidBoardFeeder {
public:
    static constexpr std::size_t kAhead = 16;

    HidBoardFeeder(platform::SimHidPort& port, const driver::CHidDevice& device, std::string path,
                   std::function<driver::PenFrame(std::uint64_t)> next)
        : m_port(port), m_device(device), m_path(std::move(path)), m_next(std::move(next)),
          m_thread([this] { Run(); }) {}
    ~HidBoardFeeder() { Stop(); }
    HidBoardFeeder(const HidBoardFeeder&) = delete;
    HidBoardFeeder& operator=(const HidBoardFeeder&) = delete;

    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

private:
    void Run() {
        for (std::uint64_t n = 0; !m_stop;) {
            const platform::HidHandle reading = m_device.ReadHandle();
            if (reading == platform::kNoHidHandle || m_port.QueuedReports(reading) >= kAhead) {
                std::this_thread::yield();
                continue;
            }
            const driver::PenFrame frame = m_next(n++);
            driver::HidReport report{};
            std::copy(frame.begin(), frame.end(), report.begin() + 2);
            m_port.Feed(m_path, report);
        }
    }

    platform::SimHidPort& m_port;
    const driver::CHidDevice& m_device;
    std::string m_path;
    std::function<driver::PenFrame(std::uint64_t)> m_next;
    std::atomic<bool> m_stop{false};
    std::thread m_thread; // last: it starts once everything it uses exists
};

} // namespace testing_support
