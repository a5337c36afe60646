#pragma once

#include <string>

namespace driver {

// The driver's message-box texts, read once at start from Language.ini.
struct MessageTexts {
    std::string connectCap;   // caption of every message box
    std::string serRunning;   // second instance
    std::string getParamFail; // read, never shown
    std::string connect;      // read, never shown
    std::string lKeyError;    // left key fault
    std::string rKeyError;    // right key fault
};

} // namespace driver
