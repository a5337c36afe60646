#pragma once

#include "driver/pen/pen_frame.h"
#include "platform/ipc_port.h"
#include "platform/message_port.h"
#include "platform/thread_port.h"

#include <memory>

namespace orient {

// Reads the driver's raw frames from the orientation pipe on a thread of its
// own, so the window's thread never waits on the pipe, and posts every frame
// whose check byte holds to the window (kFrameArrived), then kPipeEnded with
// the reader's generation when the pipe ends or the read is stopped. Bytes
// out of step are skipped until a frame checks again.
class FrameReader {
public:
    // Bounds the wait for the thread once its read is cancelled.
    static constexpr std::uint32_t kStopWaitMs = 2000;

    FrameReader(platform::ThreadPort& threads, platform::MessagePort& windows)
        : m_threads(threads), m_windows(windows) {}
    ~FrameReader() { Stop(); }
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // Takes the pipe end; false when no thread could be made.
    bool Start(std::unique_ptr<platform::StreamEnd> pipe, platform::WindowHandle window);
    // Ends the read and the thread, and drops the pipe end. Frames posted
    // before may still wait in the window's queue.
    void Stop();
    bool Running() const { return m_thread != nullptr; }
    // Counts the starts: a kPipeEnded of an earlier pipe carries an older one.
    platform::WParam Generation() const { return m_generation; }

    // A frame as posted: bytes 0-3 in wParam, 4-7 in lParam, each 32 bits
    // so that the 32-bit build carries them too.
    static driver::PenFrame Unpack(platform::WParam wParam, platform::LParam lParam);

private:
    platform::ThreadPort& m_threads;
    platform::MessagePort& m_windows;
    std::unique_ptr<platform::StreamEnd> m_pipe;
    std::unique_ptr<platform::Thread> m_thread;
    platform::WParam m_generation = 0;
};

} // namespace orient
