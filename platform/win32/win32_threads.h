#pragma once

#include "platform/thread_port.h"

namespace platform {

class Win32ThreadPort final : public ThreadPort {
public:
    std::unique_ptr<Thread> CreateSuspended(std::function<int()> body) override;
};

} // namespace platform
