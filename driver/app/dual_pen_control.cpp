#include "driver/app/dual_pen_control.h"

#include "driver/ipc/dravik_socket.h"
#include "driver/state/driver_ids.h"

#include <optional>
#include <string>

namespace driver {

void DualPenControl::PostToTool(platform::WindowHandle tool, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    m_platform.windows.PostMessage(tool, contract::companion::kNotice, wParam, lParam);
}

void DualPenControl::Enter() {
    const platform::WindowHandle tool =
        m_platform.windows.FindWindow(contract::companion::kToolClass, std::nullopt);
    // A new instance each time; the one before goes, so that switching back
    // and forth cannot use up the name's instances.
    if (m_dualPenPipeTicket != 0) {
        m_opens.Cancel(m_dualPenPipeTicket);
    }
    std::shared_ptr<platform::PipeServer> pipe = m_platform.ipc.CreatePipeServer(
        std::string(contract::companion::kDualPenPipe), kDriverPipeSettings);
    m_dualPenPipe = pipe;
    m_dualPenPipeTicket = 0;
    if (pipe) {
        auto wait = std::make_shared<ServerWait>();
        m_dualPenPipeTicket =
            m_opens.Start([pipe, wait] { return wait->Wait(*pipe); }, [wait] { wait->Cancel(); });
    }
    m_platform.clock.Sleep(kToolWaitMs);
    PostToTool(tool, contract::companion::kDualPenChanged, contract::companion::kDualPenOn);
    m_state.dualPenMode = 1;
    m_state.strokeCount = 0;
}

void DualPenControl::Leave() {
    PostToTool(m_platform.windows.FindWindow(contract::companion::kToolClass, std::nullopt),
               contract::companion::kDualPenChanged, contract::companion::kDualPenOff);
    m_state.dualPenMode = 0;
}

void DualPenControl::OpenPipeChannel() {
    auto channel = std::make_shared<CDravikPipe>(m_platform.ipc, m_pipeHandle);
    StartChannel(
        channel,
        [channel] { return channel->Open(2, std::string(contract::companion::kDualPenPipe)); },
        [channel] { channel->CancelOpen(); });
}

void DualPenControl::OpenSocketChannel() {
    auto channel =
        std::make_shared<CDravikSocket>(m_platform.ipc, contract::companion::kDualPenPort);
    // A connect on this machine ends at once, refused or not: nothing to cancel.
    StartChannel(
        channel,
        [channel] { return channel->Open(2, std::string(contract::companion::kDualPenAddress)); },
        {});
}

void DualPenControl::StartChannel(std::shared_ptr<CDravikIPCBase> channel,
                                  std::function<bool()> open, std::function<void()> cancel) {
    CancelPendingChannel();
    m_pendingChannel = std::move(channel);
    m_pendingTicket = m_opens.Start(std::move(open), std::move(cancel));
    if (m_pendingTicket == 0) {
        m_platform.trace.Failure("CreateThread", 0, "no worker to open the dual-pen channel");
        m_pendingChannel.reset();
    }
}

void DualPenControl::CancelPendingChannel() {
    if (m_pendingTicket != 0) {
        m_opens.Cancel(m_pendingTicket);
    }
    m_pendingTicket = 0;
    m_pendingChannel.reset();
}

void DualPenControl::StopChannel() {
    m_state.dualPenMode = 0;
    CancelPendingChannel();
    m_currentChannel.Retire();
}

void DualPenControl::AnswerQuery() {
    PostToTool(m_platform.windows.FindWindow(contract::companion::kToolClass, std::nullopt),
               contract::companion::kDualPenAnswer, m_state.dualPenMode != 0 ? 1 : 0);
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
    if (ticket != m_pendingTicket) {
        return false;
    }
    // Installed even when it could not be opened: its writes then go nowhere.
    m_currentChannel.Publish(std::move(m_pendingChannel));
    m_pendingTicket = 0;
    m_state.dualPenMode = 1;
    return true;
}

} // namespace driver
