#pragma once

#include <string>

namespace driver {

// The notification-area icon's texts, read once at start from the language
// files; "%1" stands for what the driver fills in. Each starts as the English
// text a language file of an older installation lacks.
struct TrayTexts {
    std::string connectedSerial = "Board connected (USB serial %1)"; // %1: the serial port
    std::string connectedHid = "Board connected (HID)";
    std::string notConnected = "Board not connected";
    std::string notConnectedWhy = "Board not connected: %1"; // %1: the last failure
    std::string calibrating = "Calibrating the board";
    std::string dualPen = "Board connected, dual-pen mode";
    std::string connected = "Board connected";           // balloon when the board comes
    std::string disconnected = "Board disconnected";     // balloon when it goes
    std::string caption = "Notice";                      // the balloons' and boxes' caption
    std::string calibrate = "Calibrate";                 // menu
    std::string penButtons = "Pen buttons...";           // menu
    std::string saveDiagnostics = "Save diagnostics..."; // menu
    std::string about = "About";                         // menu
    std::string exit = "Exit";                           // menu
    std::string exitConfirm =
        "Stop the whiteboard driver? The board does not work until it is started again.";
    std::string aboutText = "Whiteboard driver, version %1"; // %1: the version
    std::string pickFolder = "Choose a folder for the diagnostics";
    std::string saved = "The diagnostics were saved in %1"; // %1: the folder
    std::string notSaved = "These could not be written:";   // followed by what could not be written
};

} // namespace driver
