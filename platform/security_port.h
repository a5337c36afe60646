#pragma once

#include <string>

namespace platform {

// Process token, platform and named-object questions.
class SecurityPort {
public:
    virtual ~SecurityPort() = default;

    // Membership of the process token in the Administrators group; any
    // failure answers false.
    virtual bool IsUserAdmin() = 0;
    // True when the process runs on 64-bit Windows.
    virtual bool IsWow64() = 0;
    // Creates (and holds for the life of the process) the named mutex;
    // true when it existed already.
    virtual bool CreateSingleInstanceMutex(const std::string& name) = 0;
    // Opens (making it if need be, held for the life of the process) the
    // named event that asks the program to end, for waiting only: signalling
    // it is left to the system and administrators. False when it can be
    // neither made nor opened.
    virtual bool OpenEndEvent(const std::string& name) = 0;
    // True once the event OpenEndEvent opened was signalled; never blocks.
    virtual bool EndEventSignalled() = 0;
};

} // namespace platform
