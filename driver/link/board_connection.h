#pragma once

#include "driver/link/hid_device.h"
#include "driver/link/hid_search_pace.h"
#include "driver/link/serial_link.h"
#include "driver/pen/hid_frame_source.h"
#include "driver/pen/pen_pipeline.h"
#include "driver/pen/reader_loop.h"
#include "driver/pen/reader_thread.h"
#include "driver/pen/serial_frame_source.h"
#include "driver/pointer/calibration_file_watch.h"
#include "driver/state/dialog_requests.h"
#include "driver/state/dialog_timers.h"
#include "driver/state/driver_state.h"
#include "platform/device_notification_port.h"
#include "platform/platform.h"

#include <atomic>
#include <cstdint>
#include <string_view>

namespace driver {

// The one owner of the board's connection: the serial link, the HID device,
// the reader thread and the device notifications. Everything here runs on
// the dialog thread; the reader thread only reads through the frame sources.
class BoardConnection {
public:
    static constexpr std::uint32_t kStartReportDelayMs = 50;
    // A closer cancels the reader's read and waits for it in rounds, as a
    // read can start just after a cancel; this bounds the whole wait.
    static constexpr int kStopRounds = 100;
    static constexpr std::uint32_t kStopRoundMs = 50;

    BoardConnection(platform::Platform& platform, DriverState& state, PenPipeline& pipeline,
                    DialogRequests& dialog, DialogTimers& timers);
    ~BoardConnection();
    BoardConnection(const BoardConnection&) = delete;
    BoardConnection& operator=(const BoardConnection&) = delete;

    // Serial class of the Windows kind first, then HID interfaces; also
    // chooses the serial key paths of that kind.
    void RegisterNotifications(platform::WindowHandle dialog);
    // Timer 113: the HID link first, then the serial link. The calibration
    // is read again when its file changed; the HID interfaces are searched
    // as HidSearchPace says; the serial link is tried every time, since a
    // port can appear without any notification.
    void Connect();
    // Timer 111.
    void KeepAliveTick();
    void OnDeviceChange(platform::WParam event, platform::LParam record);
    // The monitors changed: the board's screen is found again and the grid
    // fitted to it, whatever the link is doing.
    void OnDisplayChange();
    // The reader thread may have ended by itself: what it left says so, not
    // the message that woke the dialog, which any program can post.
    void OnReaderEnded();
    // The driver ends: the reader is stopped and every handle closed. False
    // when the reader could not be stopped.
    bool Close();

    bool OpenHidLink();
    void CloseHidLink();
    void CloseSerialPort();
    static bool IsBoardHidInterface(std::string_view interfaceName);

    SerialLink& Serial() { return m_serial; }
    CHidDevice& Hid() { return m_hid; }

private:
    bool StartSerialReader();
    int RunReader();
    // Clears linkOpen and ends the reader's read until the reader is gone.
    bool StopReader();
    // The board's link went away or the reader gave up on it: closed, the
    // companion told, the next identification announced again.
    void LinkGone();
    void PostBoardGoneIfIdentified();
    void LoadCalibration();
    void LoadCalibrationIfChanged();
    bool BoardStillThere(bool hid);

    platform::Platform& m_platform;
    // The one role of the window system that the link uses.
    platform::DeviceNotificationPort& m_notifications;
    DriverState& m_state;
    PenPipeline& m_pipeline;
    DialogRequests& m_dialog;
    DialogTimers& m_timers;
    SerialLink m_serial;
    CHidDevice m_hid;
    HidSearchPace m_hidSearch;
    CalibrationFileWatch m_calibrationFile;
    SerialFrameSource m_serialSource;
    HidFrameSource m_hidSource;
    ReaderLoop m_loop;
    // Last: it is stopped before everything its thread uses.
    ReaderThread m_reader;
    // The connect timer runs again after a reader gave up on a board that
    // was still there; a removal of it stops that timer again.
    bool m_retryingAfterFault = false;
    // The HID link opened over a running serial link, whose port it closes.
    bool m_tookOverSerial = false;
    // The exit code of a reader that gave up, until the dialog takes it.
    std::atomic<int> m_readerGaveUp{0};
};

} // namespace driver
