#pragma once

#include "driver/link/hid_device.h"
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

// The board on a thread of its own: hands the frames next() makes to
// deliver whenever hasRoom says the reader is not too far behind, until
// stopped.
class FrameFeeder {
public:
    static constexpr std::size_t kAhead = 16;
    using Next = std::function<driver::PenFrame(std::uint64_t)>;

    FrameFeeder(std::function<bool()> hasRoom, std::function<void(const driver::PenFrame&)> deliver,
                Next next)
        : m_hasRoom(std::move(hasRoom)), m_deliver(std::move(deliver)), m_next(std::move(next)),
          m_thread([this] { Run(); }) {}
    ~FrameFeeder() { Stop(); }
    FrameFeeder(const FrameFeeder&) = delete;
    FrameFeeder& operator=(const FrameFeeder&) = delete;

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
            if (!m_hasRoom()) {
                std::this_thread::yield();
                continue;
            }
            m_deliver(m_next(m_sent));
            ++m_sent;
        }
    }

    std::function<bool()> m_hasRoom;
    std::function<void(const driver::PenFrame&)> m_deliver;
    Next m_next;
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_sent{0};
    std::thread m_thread; // last: it starts once everything it uses exists
};

// Bursts into a threaded serial port, one frame each.
class BoardFeeder : public FrameFeeder {
public:
    BoardFeeder(platform::SimSerialPort& port, Next next)
        : FrameFeeder([&port] { return port.QueuedBursts() < kAhead; },
                      [&port](const driver::PenFrame& frame) {
                          port.Arrive({frame.begin(), frame.end()});
                      },
                      std::move(next)) {}
};

// Input reports for the board's HID interface at path, a few ahead of
// whatever read handle the driver has open.
class HidBoardFeeder : public FrameFeeder {
public:
    HidBoardFeeder(platform::SimHidPort& port, const driver::CHidDevice& device, std::string path,
                   Next next)
        : FrameFeeder(
              [&port, &device] {
                  const platform::HidHandle reading = device.ReadHandle();
                  return reading != platform::kNoHidHandle && port.QueuedReports(reading) < kAhead;
              },
              [&port, path = std::move(path)](const driver::PenFrame& frame) {
                  driver::HidReport report{};
                  std::copy(frame.begin(), frame.end(), report.begin() + 2);
                  port.Feed(path, report);
              },
              std::move(next)) {}
};

} // namespace testing_support
