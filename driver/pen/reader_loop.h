#pragma once

#include "driver/pen/companion_window.h"
#include "driver/pen/frame_dispatcher.h"
#include "driver/pen/hid_report.h"
#include "driver/pen/pen_frame.h"
#include "driver/state/driver_state.h"
#include "platform/clock_port.h"
#include "platform/hid_device.h"
#include "platform/serial_port.h"

namespace driver {

// The reader thread: receives frames from the serial port or the HID
// device while the link is open and hands each to the dispatcher.
class ReaderLoop {
public:
    static constexpr std::uint32_t kSerialWaitMs = 1000;
    static constexpr std::uint32_t kWakePauseMs = 30;
    // A HID read that fails returns at once; without a pause a gone device
    // would spin a core until the link is closed.
    static constexpr std::uint32_t kHidRetryPauseMs = 10;

    ReaderLoop(DriverState& state, platform::SerialPort& serial, platform::HidDevice& hid,
               platform::ClockPort& clock, CompanionWindow& companion, FrameDispatcher& dispatcher)
        : m_state(state), m_serial(serial), m_hid(hid), m_clock(clock), m_companion(companion),
          m_dispatcher(dispatcher) {}

    // The thread's body: 0 when the link was closed, -1 when the event could
    // not be made or a serial read failed.
    int ReaderThreadProc();

    // One pass of the loop: one read and, if it brought bytes, one dispatch.
    // False when the thread must end with -1 (the event is closed then).
    bool RunOnce();

private:
    // The byte count of this pass, 0 when nothing arrived.
    std::uint32_t ReadHid();
    // Nothing when a read stays outstanding or failed (see failed).
    std::uint32_t ReadSerial(bool& failed);

    DriverState& m_state;
    platform::SerialPort& m_serial;
    platform::HidDevice& m_hid;
    platform::ClockPort& m_clock;
    CompanionWindow& m_companion;
    FrameDispatcher& m_dispatcher;

    // The serial frame buffer is deliberately kept between reads: a short
    // read is checked together with what the previous frame left.
    PenFrame m_frame{};
    HidReport m_report{};
    bool m_readOutstanding = false;
};

} // namespace driver
