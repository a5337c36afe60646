#pragma once

#include "driver/app/pending_opens.h"
#include "driver/ipc/channel_slot.h"
#include "driver/ipc/dravik_pipe.h"
#include "driver/ipc/server_wait.h"
#include "driver/state/driver_state.h"
#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace driver {

// Dual-pen mode as the companion sees it: the tool window told when the
// mode changes, the pipe instance that waits for the companion, and the data
// channel the companion asks for. A channel is published, and dualPenMode
// set, only once its Open has returned on a worker; dualPenMode is cleared
// before a channel is retired, and the reader's last write to a retired
// channel ends before it is freed. Dialog thread only.
class DualPenControl {
public:
    // Lets the tool window come up before it is told.
    static constexpr std::uint32_t kToolWaitMs = 100;

    // pipeHandle is shared by every pipe channel of the driver and must
    // outlive them all, wherever they are still held.
    DualPenControl(platform::Platform& platform, DriverState& state, ChannelSlot& currentChannel,
                   PendingOpens& opens, CDravikPipe::ClassHandle& pipeHandle)
        : m_platform(platform), m_state(state), m_currentChannel(currentChannel), m_opens(opens),
          m_pipeHandle(pipeHandle) {}

    // The dual-pen button: the tool window told, the pipe instance made and
    // waited for on a worker, the mode switched.
    void Enter();
    void Leave();

    // "QelDriverSet" 30, 32: a data channel, replacing any; 31, 33: none.
    void OpenPipeChannel();
    void OpenSocketChannel();
    void StopChannel();
    // "QelDriverSet" 100: the mode, to the tool window.
    void AnswerQuery();

    // A worker's wait ended; false when the ticket is not one of ours.
    bool OnOpenDone(std::uint32_t ticket, bool opened);

private:
    void StartChannel(std::shared_ptr<CDravikIPCBase> channel, std::function<bool()> open,
                      std::function<void()> cancel);
    void CancelPendingChannel();
    void PostToTool(platform::WindowHandle tool, std::uintptr_t wParam, std::intptr_t lParam);

    platform::Platform& m_platform;
    DriverState& m_state;
    ChannelSlot& m_currentChannel;
    PendingOpens& m_opens;
    CDravikPipe::ClassHandle& m_pipeHandle;
    // dualPenPipe: the instance the button makes, with its wait.
    std::shared_ptr<platform::PipeServer> m_dualPenPipe;
    std::uint32_t m_dualPenPipeTicket = 0;
    std::shared_ptr<CDravikIPCBase> m_pendingChannel;
    std::uint32_t m_pendingTicket = 0;
};

} // namespace driver
