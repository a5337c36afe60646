#pragma once

#include <string>

namespace driver {

// The notification-area icon's texts, read once at start from the language
// file; "%1" stands for what the driver fills in.
struct TrayTexts {
    std::string connectedSerial; // %1: the serial port
    std::string connectedHid;
    std::string notConnected;
    std::string notConnectedWhy; // %1: the last failure
    std::string calibrating;
    std::string dualPen;
    std::string connected;       // balloon when the board comes
    std::string disconnected;    // balloon when it goes
    std::string caption;         // the balloons' and boxes' caption
    std::string calibrate;       // menu
    std::string penButtons;      // menu
    std::string saveDiagnostics; // menu
    std::string about;           // menu
    std::string exit;            // menu
    std::string exitConfirm;
    std::string aboutText; // %1: the version
    std::string pickFolder;
    std::string saved;    // %1: the folder
    std::string notSaved; // followed by what could not be written
};

} // namespace driver
