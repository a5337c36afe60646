#include "orient/frame_reader.h"

#include "orient/orient_ids.h"

#include <array>
#include <cstring>
#include <span>

namespace orient {
namespace {

std::uint32_t Word(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void PutWord(std::uint32_t word, std::uint8_t* bytes) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(word >> (8 * i));
    }
}

int ReadFrames(platform::StreamEnd& pipe, platform::MessagePort& windows,
               platform::WindowHandle window, platform::WParam generation) {
    constexpr std::size_t kFrame = 8;
    std::array<std::uint8_t, 2 * kFrame> held{};
    std::size_t count = 0;
    for (;;) {
        const int got = pipe.Receive(std::span(held).subspan(count, held.size() - count));
        if (got <= 0) {
            break;
        }
        count += static_cast<std::size_t>(got);
        while (count >= kFrame) {
            driver::PenFrame frame;
            std::memcpy(frame.data(), held.data(), kFrame);
            const std::size_t used = driver::FrameChecksumOk(frame) ? kFrame : 1;
            if (used == kFrame) {
                windows.PostMessage(window, kFrameArrived, Word(frame.data()),
                                    static_cast<platform::LParam>(Word(frame.data() + 4)));
            }
            std::memmove(held.data(), held.data() + used, count - used);
            count -= used;
        }
    }
    windows.PostMessage(window, kPipeEnded, generation, 0);
    return 0;
}

} // namespace

bool FrameReader::Start(std::unique_ptr<platform::StreamEnd> pipe, platform::WindowHandle window) {
    Stop();
    if (!pipe) {
        return false;
    }
    platform::StreamEnd* end = pipe.get();
    platform::MessagePort& windows = m_windows;
    const platform::WParam generation = ++m_generation;
    m_thread = m_threads.CreateSuspended([end, &windows, window, generation] {
        return ReadFrames(*end, windows, window, generation);
    });
    if (!m_thread) {
        return false;
    }
    m_pipe = std::move(pipe);
    m_thread->Resume();
    return true;
}

void FrameReader::Stop() {
    if (!m_thread) {
        m_pipe.reset();
        return;
    }
    m_pipe->CancelReceive();
    if (!m_thread->WaitForEnd(kStopWaitMs)) {
        // Still inside the pipe end: better to keep both than to free them
        // under the thread.
        static_cast<void>(m_pipe.release());
        static_cast<void>(m_thread.release());
        return;
    }
    m_thread.reset();
    m_pipe.reset();
}

driver::PenFrame FrameReader::Unpack(platform::WParam wParam, platform::LParam lParam) {
    driver::PenFrame frame{};
    PutWord(static_cast<std::uint32_t>(wParam), frame.data());
    PutWord(static_cast<std::uint32_t>(lParam), frame.data() + 4);
    return frame;
}

} // namespace orient
