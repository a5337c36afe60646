#pragma once

#include "driver/app/pending_channel.h"
#include "driver/app/pending_opens.h"
#include "driver/ipc/channel_slot.h"
#include "driver/ipc/dravik_pipe.h"
#include "driver/ipc/server_wait.h"
#include "driver/state/driver_state.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string_view>

namespace driver {

// Where the dialog shows dual-pen mode: its state line and the button that
// switches the mode.
class DualPenView {
public:
    virtual ~DualPenView() = default;
    virtual void ShowState(std::string_view text) = 0;
    virtual void SetButtonText(std::string_view text) = 0;
};

// Dual-pen mode as the companion sees it: the tool window told when the
// mode changes, the pipe instance that waits for the companion, and the data
// channel the companion asks for. A channel is published, and dualPenMode
// set, only once its Open has returned on a worker; dualPenMode is cleared
// before a channel is retired, and the reader's last write to a retired
// channel ends before it is freed.
//
// Button presses and queries that come while a channel opens wait and are
// applied in their order once it has opened, as if the open had held the
// dialog: the button, the tool window, the answers to queries and the flow
// of second-pen frames then always agree. A stop or a newer channel gives
// the open up at once, as if it had failed, and comes after what waited.
// Dialog thread only.
class DualPenControl {
public:
    // Lets the tool window come up before it is told.
    static constexpr std::uint32_t kToolWaitMs = 100;
    // Beyond this, requests that come during one open are refused.
    static constexpr std::size_t kMaxWaiting = 64;

    // pipeHandle is shared by every pipe channel of the driver and must
    // outlive them all, wherever they are still held.
    DualPenControl(platform::Platform& platform, DriverState& state, ChannelSlot& currentChannel,
                   PendingOpens& opens, CDravikPipe::ClassHandle& pipeHandle, DualPenView& view)
        : m_platform(platform), m_state(state), m_currentChannel(currentChannel), m_opens(opens),
          m_pipeHandle(pipeHandle), m_view(view), m_channel(opens) {}

    // The dual-pen button: enters or leaves the mode.
    void Press() { Handle(Request::Press); }
    // "QelDriverSet" 30, 32: a data channel, replacing any; 31, 33: none.
    void OpenPipeChannel() { Handle(Request::PipeChannel); }
    void OpenSocketChannel() { Handle(Request::SocketChannel); }
    void StopChannel() { Handle(Request::StopChannel); }
    // "QelDriverSet" 100: the mode, to the tool window.
    void AnswerQuery() { Handle(Request::Query); }

    // A worker's wait ended; false when the ticket is not one of ours.
    bool OnOpenDone(std::uint32_t ticket, bool opened);

private:
    enum class Request { Press, PipeChannel, SocketChannel, StopChannel, Query };

    static bool ChangesChannel(Request request) {
        return request == Request::PipeChannel || request == Request::SocketChannel ||
               request == Request::StopChannel;
    }

    void Handle(Request request);
    void Apply(Request request);
    void ApplyWaiting();
    // The button's two halves: the tool window told, the pipe instance made
    // and waited for on a worker, the mode switched.
    void Enter();
    void Leave();
    void StartChannel(std::shared_ptr<CDravikIPCBase> channel, std::function<bool()> open,
                      std::function<void()> cancel);
    void PostToTool(platform::WindowHandle tool, std::uintptr_t wParam, std::intptr_t lParam);

    platform::Platform& m_platform;
    DriverState& m_state;
    ChannelSlot& m_currentChannel;
    PendingOpens& m_opens;
    CDravikPipe::ClassHandle& m_pipeHandle;
    DualPenView& m_view;
    // dualPenPipe: the instance the button makes, with its wait.
    std::shared_ptr<platform::PipeServer> m_dualPenPipe;
    std::uint32_t m_dualPenPipeTicket = 0;
    PendingChannel<CDravikIPCBase> m_channel;
    std::deque<Request> m_waiting;
};

} // namespace driver
