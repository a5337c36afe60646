#include "driver/ipc/dravik_pipe.h"

namespace driver {

CDravikPipe::~CDravikPipe() {
    m_classHandle.ClearIf(m_own.get());
}

std::unique_ptr<platform::PipeServer> CDravikPipe::Serve(const std::string& name) {
    auto server = m_port.CreatePipeServer(name, kDriverPipeSettings);
    if (server && !m_wait.Wait(*server)) {
        server.reset();
    }
    return server;
}

bool CDravikPipe::Open(int mode, std::string name) {
    std::unique_ptr<platform::StreamEnd> end;
    switch (mode) {
    case kClientMode:
        end = m_port.OpenPipeClient(name);
        break;
    case kServerMode:
        end = Serve(name);
        break;
    case kLoopbackMode: {
        // The client first: a server that waited before it would wait for good.
        auto server = m_port.CreatePipeServer(name, kDriverPipeSettings);
        end = server ? m_port.OpenPipeClient(name) : nullptr;
        if (!end || !m_wait.Wait(*server)) {
            return false;
        }
        m_loopServer = std::move(server);
        break;
    }
    default:
        return false;
    }
    if (!end) {
        return false;
    }
    m_classHandle.ClearIf(m_own.get());
    m_own = std::make_shared<FrameStream>(std::move(end), m_clock);
    m_classHandle.Replace(m_own);
    return true;
}

bool CDravikPipe::Write(const std::uint8_t* data, int length) {
    if (const auto stream = m_classHandle.Current(); stream && length > 0) {
        stream->Write({data, static_cast<std::size_t>(length)});
    }
    return true;
}

int CDravikPipe::Read(std::uint8_t* buffer, int length) {
    const auto stream = m_classHandle.Current();
    return stream && length > 0 ? stream->Read({buffer, static_cast<std::size_t>(length)}) : 0;
}

} // namespace driver
