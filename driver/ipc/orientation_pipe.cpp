#include "driver/ipc/orientation_pipe.h"

namespace driver {

bool OrientationPipe::Open(int mode, std::string name) {
    return mode == kServerMode && Create(name) && WaitForClient();
}

bool OrientationPipe::Create(const std::string& name) {
    if (m_server || m_stream) {
        return false;
    }
    m_server = m_port.CreatePipeServer(name, kDriverPipeSettings);
    return m_server != nullptr;
}

bool OrientationPipe::WaitForClient() {
    if (!m_server || !m_wait.Wait(*m_server)) {
        m_server.reset();
        return false;
    }
    m_stream = std::make_unique<FrameStream>(std::move(m_server), m_clock);
    return true;
}

bool OrientationPipe::Write(const std::uint8_t* data, int length) {
    if (m_stream && length > 0) {
        m_stream->Write({data, static_cast<std::size_t>(length)});
    }
    return true;
}

int OrientationPipe::Read(std::uint8_t* buffer, int length) {
    return m_stream && length > 0 ? m_stream->Read({buffer, static_cast<std::size_t>(length)}) : 0;
}

} // namespace driver
