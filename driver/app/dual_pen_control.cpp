#include "driver/app/dual_pen_control.h"

#include "driver/app/dravik_ids.h"
#include "driver/ipc/dravik_socket.h"
#include "driver/state/driver_ids.h"

#include <optional>
#include <string>

namespace driver {

namespace companion = contract::companion;

void DualPenControl::Handle(Request request) {
    if (!m_channel.Waiting()) {
        Apply(request);
        return;
    }
    if (ChangesChannel(request)) {
        // The open is given up. What it would have left, a channel that
        // could not be opened, is as good as none; then everything that
        // waited for it, then this.
        m_channel.Drop();
        m_currentChannel.Retire();
        m_state.dualPenMode = 1;
        ApplyWaiting();
        Apply(request);
        return;
    }
    if (m_waiting.size() >= kMaxWaiting) {
        m_platform.trace.Failure("dual-pen request", static_cast<std::uint32_t>(request),
                                 "refused: too many wait for a channel to open");
        return;
    }
    m_waiting.push_back(request);
}

void DualPenControl::Apply(Request request) {
    switch (request) {
    case Request::Press:
        if (m_state.dualPenMode != 0) {
            m_view.ShowState(kDualPenLeftText);
            Leave();
            m_view.SetButtonText(kEnableDualPenText);
        } else {
            m_view.ShowState(kDualPenEnteredText);
            Enter();
            m_view.SetButtonText(kDisableDualPenText);
        }
        break;
    case Request::PipeChannel: {
        auto channel =
            std::make_shared<CDravikPipe>(m_platform.ipc, m_platform.clock, m_pipeHandle);
        StartChannel(
            channel,
            [channel] {
                return channel->Open(CDravikPipe::kServerMode,
                                     std::string(companion::kDualPenPipe));
            },
            [channel] { channel->CancelOpen(); });
        break;
    }
    case Request::SocketChannel: {
        auto channel = std::make_shared<CDravikSocket>(m_platform.ipc, m_platform.clock,
                                                       companion::kDualPenPort);
        // A refused connect ends by itself (at once here, within seconds on
        // Windows): nothing to cancel.
        StartChannel(channel,
                     [channel] {
                         return channel->Open(CDravikSocket::kConnectMode,
                                              std::string(companion::kDualPenAddress));
                     },
                     {});
        break;
    }
    case Request::StopChannel:
        m_state.dualPenMode = 0;
        m_currentChannel.Retire();
        break;
    case Request::Query:
        PostToTool(m_platform.windows.FindWindow(companion::kToolClass, std::nullopt),
                   companion::kDualPenAnswer, m_state.dualPenMode != 0 ? 1 : 0);
        break;
    }
}

void DualPenControl::ApplyWaiting() {
    // Only presses and queries wait, and neither starts an open.
    while (!m_waiting.empty()) {
        const Request request = m_waiting.front();
        m_waiting.pop_front();
        Apply(request);
    }
}

void DualPenControl::PostToTool(platform::WindowHandle tool, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    m_platform.windows.PostMessage(tool, companion::kNotice, wParam, lParam);
}

void DualPenControl::Enter() {
    const platform::WindowHandle tool =
        m_platform.windows.FindWindow(companion::kToolClass, std::nullopt);
    // A new instance each time; the one before goes, so that switching back
    // and forth cannot use up the name's instances.
    if (m_dualPenPipeTicket != 0) {
        m_opens.Cancel(m_dualPenPipeTicket);
    }
    std::shared_ptr<platform::PipeServer> pipe =
        m_platform.ipc.CreatePipeServer(std::string(companion::kDualPenPipe), kDriverPipeSettings);
    m_dualPenPipe = pipe;
    m_dualPenPipeTicket = 0;
    if (pipe) {
        auto wait = std::make_shared<ServerWait>();
        m_dualPenPipeTicket =
            m_opens.Start([pipe, wait] { return wait->Wait(*pipe); }, [wait] { wait->Cancel(); });
    }
    m_platform.clock.Sleep(kToolWaitMs);
    PostToTool(tool, companion::kDualPenChanged, companion::kDualPenOn);
    m_state.dualPenMode = 1;
    m_state.strokeCount = 0;
}

void DualPenControl::Leave() {
    PostToTool(m_platform.windows.FindWindow(companion::kToolClass, std::nullopt),
               companion::kDualPenChanged, companion::kDualPenOff);
    m_state.dualPenMode = 0;
}

void DualPenControl::StartChannel(std::shared_ptr<CDravikIPCBase> channel,
                                  std::function<bool()> open, std::function<void()> cancel) {
    if (!m_channel.Start(std::move(channel), std::move(open), std::move(cancel))) {
        m_platform.trace.Failure("CreateThread", 0, "no worker to open the dual-pen channel");
    }
}

bool DualPenControl::OnOpenDone(std::uint32_t ticket, bool opened) {
    if (ticket == 0) {
        return false;
    }
    if (ticket == m_dualPenPipeTicket) {
        m_dualPenPipeTicket = 0;
        if (!opened) {
            m_dualPenPipe.reset(); // nobody came: the instance is closed
        }
        return true;
    }
    std::optional<std::shared_ptr<CDravikIPCBase>> channel = m_channel.Finish(ticket);
    if (!channel) {
        return false;
    }
    // Installed even when it could not be opened: its writes then go nowhere.
    m_currentChannel.Publish(std::move(*channel));
    m_state.dualPenMode = 1;
    ApplyWaiting();
    return true;
}

} // namespace driver
