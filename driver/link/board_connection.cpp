#include "driver/link/board_connection.h"

#include "driver/pointer/load_calibration.h"
#include "driver/state/board_ids.h"
#include "driver/state/driver_ids.h"

#include <string>
#include <utility>

namespace driver {

BoardConnection::BoardConnection(platform::Platform& platform, DriverState& state,
                                 PenPipeline& pipeline, DialogRequests& dialog,
                                 DialogTimers& timers)
    : m_platform(platform), m_notifications(platform.windows), m_state(state), m_pipeline(pipeline),
      m_dialog(dialog), m_timers(timers),
      m_serial(state, platform.registry, platform.serial, platform.trace),
      m_hid(platform.hid, &platform.trace), m_hidSearch(platform.clock),
      m_calibrationFile(platform.files),
      m_serialSource(platform.serial, platform.clock, state, platform.trace),
      m_hidSource(m_hid, platform.clock),
      m_loop(state, m_serialSource, m_hidSource, pipeline.companion, pipeline.dispatcher),
      m_reader(platform.threads, [this] { return RunReader(); }) {}

BoardConnection::~BoardConnection() {
    Close();
}

void BoardConnection::RegisterNotifications(platform::WindowHandle dialog) {
    const bool isWow64 = m_state.isWow64 != 0;
    m_serial.SelectKeyPaths(isWow64);
    // A failed registration only means arrivals and removals go unnoticed.
    m_notifications.RegisterInterfaceNotification(dialog,
                                                  (isWow64 ? kSerialClass64 : kSerialClass32).guid);
    m_notifications.RegisterInterfaceNotification(dialog, kHidClass);
}

void BoardConnection::Connect() {
    if (m_state.linkOpen == 0 && !m_reader.WaitForEnd(0)) {
        // A reader of a closed link has not ended yet; the ports are still
        // its own until it has.
        m_serialSource.AbortRead();
        m_hidSource.AbortRead();
        m_platform.trace.Failure("Connect", 0, "the last reader has not ended yet");
        return;
    }
    // Before either link starts a reader: both map through what the file
    // holds now.
    LoadCalibrationIfChanged();
    // Over an open serial link an attempt comes only after an arrival.
    if ((m_state.linkOpen != 0 || m_hidSearch.Due()) && OpenHidLink()) {
        m_retryingAfterFault = false;
        m_timers.Stop(timer::kConnect);
        return;
    }
    if (!m_serial.FindSerialPortName()) {
        return;
    }
    if (!m_serial.OpenSerialPort()) {
        return;
    }
    // A reader that could not be made leaves the port closed: keep trying
    // rather than stop with no link at all.
    if (StartSerialReader()) {
        m_state.hidMode = 0;
        m_retryingAfterFault = false;
        m_timers.Stop(timer::kConnect);
    }
}

bool BoardConnection::OpenHidLink() {
    const std::string path = m_hid.FindDevicePath(kHidBoardIds.vendorId, kHidBoardIds.productId);
    if (path.empty()) {
        m_platform.trace.Failure("OpenHidLink", 0, "no HID interface " + UsbIdText(kHidBoardIds));
        m_hidSearch.FoundNoBoard();
    }
    if (m_hid.ReadHandle() == platform::kNoHidHandle) {
        m_hid.OpenReadHandle(path);
    }
    if (m_hid.WriteHandle() == platform::kNoHidHandle) {
        m_hid.OpenWriteHandle(path);
    }
    if (m_hid.ReadHandle() == platform::kNoHidHandle ||
        m_hid.WriteHandle() == platform::kNoHidHandle) {
        return false;
    }
    m_state.announcePending = 1;
    m_platform.clock.Sleep(kStartReportDelayMs);
    m_hidSource.Wake();
    if (m_state.hidMode == 0) {
        m_tookOverSerial = m_state.linkOpen != 0;
    }
    // A running serial reader is kept: it switches to HID reads by hidMode.
    if (m_state.linkOpen == 0 && !m_reader.CreateSuspended()) {
        m_platform.trace.Failure("OpenHidLink", 0, "no reader thread");
        return false;
    }
    if (!m_reader.Exists()) {
        return false;
    }
    m_state.linkOpen = 1;
    m_state.hidMode = 1;
    m_reader.Resume();
    m_timers.Start(timer::kHidKeepAlive);
    return true;
}

bool BoardConnection::StartSerialReader() {
    if (!m_reader.CreateSuspended()) {
        m_platform.trace.Failure("StartSerialReader", 0, "no reader thread");
        m_serial.ClosePort();
        m_state.linkOpen = 0;
        return false;
    }
    m_state.linkOpen = 1;
    m_reader.Resume();
    return true;
}

int BoardConnection::RunReader() {
    const int exitCode = m_loop.ReaderThreadProc();
    if (exitCode != 0) {
        m_readerGaveUp = exitCode;
        m_dialog.PostToDialog(user_message::kReaderEnded, 0, exitCode);
    }
    return exitCode;
}

bool BoardConnection::StopReader() {
    // The reader leaves its loop at its next test of the flag, so it is
    // cleared before the read that holds it is ended. A read can start just
    // after a cancel, so cancel again until the reader is gone.
    m_state.linkOpen = 0;
    for (int round = 0; round < kStopRounds; ++round) {
        m_serialSource.AbortRead();
        m_hidSource.AbortRead();
        if (m_reader.WaitForEnd(kStopRoundMs)) {
            return true;
        }
    }
    m_platform.trace.Failure("StopReader", 0, "the reader did not end");
    return false;
}

void BoardConnection::CloseHidLink() {
    PostBoardGoneIfIdentified();
    m_state.linkOpen = 0;
    m_timers.Stop(timer::kHidKeepAlive);
    // A handle closed under a starting read could be handed to another
    // object meanwhile: close only once the reader has left its loop.
    if (StopReader()) {
        m_hid.CloseHandles();
        // Left open when this link took over from the serial one.
        m_serial.ClosePort();
    }
}

void BoardConnection::CloseSerialPort() {
    if (m_state.linkOpen == 0) {
        return;
    }
    m_state.linkOpen = 0;
    m_platform.serial.SetEventMask(0);
    if (StopReader()) {
        m_serial.ClosePort();
    }
}

void BoardConnection::LinkGone() {
    // The same for a removal and for a reader that gave up: whatever the
    // link, the board is not known until it identifies itself again.
    if (m_state.hidMode != 0) {
        CloseHidLink();
    } else {
        CloseSerialPort();
        PostBoardGoneIfIdentified();
    }
    m_state.hidMode = 0;
    m_state.announcePending = 1;
    m_state.dualCapable = 0;
}

void BoardConnection::PostBoardGoneIfIdentified() {
    if (m_state.boardIdentified.exchange(0) == 0) {
        return;
    }
    m_pipeline.companion.PostFresh(contract::companion::kNotice, 0,
                                   contract::companion::kBoardGone);
}

void BoardConnection::OnReaderEnded() {
    const int exitCode = m_readerGaveUp.exchange(0);
    if (exitCode == 0 || m_state.linkOpen == 0) {
        return; // closed meanwhile
    }
    m_platform.trace.Failure("reader thread", static_cast<std::uint32_t>(exitCode),
                             "ended on an open link; the link is closed");
    const bool hid = m_state.hidMode != 0;
    LinkGone();
    // A fault on a board that is still there: look for it again at once. A
    // board that went away waits for its arrival.
    if (BoardStillThere(hid)) {
        m_retryingAfterFault = true;
        m_timers.Start(timer::kConnect);
    }
}

bool BoardConnection::BoardStillThere(bool hid) {
    if (hid) {
        return !m_hid.FindDevicePath(kHidBoardIds.vendorId, kHidBoardIds.productId).empty();
    }
    return m_serial.IsSerialInterfaceLinked() != 0;
}

void BoardConnection::KeepAliveTick() {
    if (m_state.hidSilentTicks.fetch_add(1) + 1 >= 2) {
        m_hidSource.Wake();
    }
}

bool BoardConnection::IsBoardHidInterface(std::string_view interfaceName) {
    return InterfaceNameCarriesIds(interfaceName, kHidBoardIds);
}

void BoardConnection::OnDeviceChange(platform::WParam event, platform::LParam record) {
    const auto broadcast = m_notifications.DecodeDeviceBroadcast(event, record);
    if (!broadcast || broadcast->deviceType != platform::dbt::kDevTypDeviceInterface) {
        return;
    }
    const bool board = IsBoardHidInterface(broadcast->interfaceName);
    if (broadcast->eventCode == platform::dbt::kDeviceArrival) {
        m_hidSearch.InterfaceArrived();
        if (board || m_state.hidMode == 0 || m_state.linkOpen == 0) {
            m_state.button1Held = 0;
            m_timers.Start(timer::kConnect);
        }
    } else if (broadcast->eventCode == platform::dbt::kDeviceRemoveComplete) {
        if (m_state.hidMode != 0) {
            // By presence, not by name: a second board of the kind may go while
            // ours stays, and ours may have a name without the IDs in it.
            if (!m_hid.OpenDevicePresent()) {
                LinkGone();
                // No arrival follows for a serial board that stayed: look for it now.
                if (std::exchange(m_tookOverSerial, false) &&
                    m_serial.IsSerialInterfaceLinked() != 0) {
                    m_retryingAfterFault = true;
                    m_timers.Start(timer::kConnect);
                }
            }
        } else if (m_serial.IsSerialInterfaceLinked() == 0) {
            LinkGone();
            if (std::exchange(m_retryingAfterFault, false)) {
                m_timers.Stop(timer::kConnect);
            }
        }
    }
}

bool BoardConnection::Close() {
    if (!StopReader()) {
        return false;
    }
    m_hid.CloseHandles();
    m_serial.ClosePort();
    return true;
}

void BoardConnection::OnDisplayChange() {
    m_calibrationFile.Remember(m_state.settingsPath);
    LoadCalibration();
}

void BoardConnection::LoadCalibrationIfChanged() {
    if (m_calibrationFile.NeedsReading(m_state.settingsPath)) {
        LoadCalibration();
    }
}

void BoardConnection::LoadCalibration() {
    driver::LoadCalibration(m_pipeline.calibration, m_platform.profile,
                            m_pipeline.screen.Locate(m_state.settingsPath), m_platform.trace,
                            m_state.settingsPath);
}

} // namespace driver
