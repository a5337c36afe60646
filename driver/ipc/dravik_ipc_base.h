#pragma once

#include <cstdint>
#include <string>

namespace driver {

// A link to a companion program that takes the second pen's frames: the
// reader writes without knowing whether a pipe or a socket is behind it.
class CDravikIPCBase {
public:
    CDravikIPCBase() = default;
    virtual ~CDravikIPCBase() = default;
    CDravikIPCBase(const CDravikIPCBase&) = delete;
    CDravikIPCBase& operator=(const CDravikIPCBase&) = delete;

    virtual bool Open(int mode, std::string nameOrAddress) = 0;
    virtual bool Write(const std::uint8_t* data, int length) = 0;
    virtual int Read(std::uint8_t* buffer, int length) = 0;
};

} // namespace driver
