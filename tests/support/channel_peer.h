#pragma once

#include "driver/ipc/dravik_ipc_base.h"
#include "platform/clock_port.h"
#include "platform/ipc_port.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <future>
#include <optional>
#include <vector>

namespace testing_support {

// An 8-byte second-pen frame that carries its place in the stream.
inline std::array<std::uint8_t, 8> NumberedFrame(std::uint32_t number) {
    std::array<std::uint8_t, 8> frame{0xAA,
                                      static_cast<std::uint8_t>(number >> 24),
                                      static_cast<std::uint8_t>(number >> 16),
                                      static_cast<std::uint8_t>(number >> 8),
                                      static_cast<std::uint8_t>(number),
                                      0x5A,
                                      0xA5,
                                      0};
    for (int i = 0; i < 7; ++i) {
        frame[7] ^= frame[static_cast<std::size_t>(i)];
    }
    return frame;
}

inline bool WriteNumbered(driver::CDravikIPCBase& channel, std::uint32_t number) {
    const auto frame = NumberedFrame(number);
    return channel.Write(frame.data(), static_cast<int>(frame.size()));
}

// What a companion read: the frame numbers, or nullopt when the bytes were
// not a run of whole frames. cutAtEnd: the stream ended inside a frame.
struct PeerRead {
    std::optional<std::vector<std::uint32_t>> numbers;
    std::size_t bytes = 0;
    bool cutAtEnd = false;
};

// Reads until the frame numbered `last` or the end of the stream.
inline PeerRead ReadNumbersUntil(platform::StreamEnd& end, std::uint32_t last) {
    const auto marker = NumberedFrame(last);
    std::vector<std::uint8_t> all;
    auto ended = [&] {
        return all.size() >= 8 && all.size() % 8 == 0 &&
               std::equal(marker.begin(), marker.end(), all.end() - 8);
    };
    std::array<std::uint8_t, 512> buffer{};
    while (!ended()) {
        const int count = end.Receive(buffer);
        if (count <= 0) {
            break;
        }
        all.insert(all.end(), buffer.begin(), buffer.begin() + count);
    }
    PeerRead read{std::vector<std::uint32_t>{}, all.size()};
    for (std::size_t at = 0; at + 8 <= all.size(); at += 8) {
        const std::uint32_t number = static_cast<std::uint32_t>(all[at + 1]) << 24 |
                                     static_cast<std::uint32_t>(all[at + 2]) << 16 |
                                     static_cast<std::uint32_t>(all[at + 3]) << 8 | all[at + 4];
        if (!std::equal(all.begin() + static_cast<std::ptrdiff_t>(at),
                        all.begin() + static_cast<std::ptrdiff_t>(at + 8),
                        NumberedFrame(number).begin())) {
            read.numbers.reset();
            return read;
        }
        read.numbers->push_back(number);
    }
    read.cutAtEnd = all.size() % 8 != 0;
    return read;
}

template <typename Result>
bool ReadyWithin(std::future<Result>& future, std::chrono::milliseconds time) {
    return future.wait_for(time) == std::future_status::ready;
}

// How long the body took on the clock that times the channels' waits.
inline double MillisecondsOf(platform::ClockPort& clock, const auto& body) {
    const std::uint32_t start = clock.TickCount();
    body();
    return clock.TickCount() - start;
}

} // namespace testing_support
