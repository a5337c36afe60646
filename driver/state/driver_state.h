#pragma once

#include "driver/state/message_texts.h"
#include "driver/state/tray_texts.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace driver {

// The driver's process-wide state, shared by the dialog thread and the
// reader thread. Owned by the application and passed by reference, so every
// test starts from a fresh one. Counters that one thread increments and the
// other evaluates and clears are read with exchange, never load-then-store.
struct DriverState {
    // Written once on the dialog thread before any reader thread exists.
    std::string settingsPath;
    MessageTexts messageTexts;
    TrayTexts trayTexts;
    // Why a text came from the other language's file or is missing: traced
    // once the log file is open, which it is not yet when texts are read.
    std::vector<std::string> textNotes;

    std::atomic<int> isAdmin{1};
    std::atomic<int> isWow64{0};
    std::atomic<std::uint32_t> qelOkMessage{0};
    std::atomic<std::uint32_t> qelDriverSetMessage{0};
    std::atomic<int> linkOpen{0};
    std::atomic<int> hidMode{0};
    std::atomic<int> announcePending{1};
    std::atomic<int> boardIdentified{0};
    std::atomic<int> dualCapable{0};
    std::atomic<bool> functionAreasEnabled{false};
    std::atomic<std::uint8_t> orientationMode{0};
    std::atomic<int> orientationForwardAll{0};
    std::atomic<int> dualPenMode{0};
    std::atomic<int> defaultActionArmed{1};
    std::atomic<int> hidSilentTicks{0};
    // Permits the command-33 posts of areas 13 and 27.
    std::atomic<int> codePermitted{0};

    // The companion window as the reader's latest look-up found it.
    std::atomic<std::uintptr_t> companionWindow{0};

    // Pen buttons: held state, pending clicks of button 1 and 2 and where.
    std::atomic<int> button1Held{0};
    std::atomic<int> button2Held{0};
    std::array<std::atomic<int>, 2> buttonClickCount{};
    std::atomic<std::int32_t> buttonClickX{0};
    std::atomic<std::int32_t> buttonClickY{0};

    // Function areas: one lock for command areas, one tap lock per side,
    // pending taps per side (0 left, 1 right) and tap area.
    std::atomic<int> commandArmed{1};
    std::atomic<int> leftTapArmed{1};
    std::atomic<int> rightTapArmed{1};
    std::array<std::array<std::atomic<int>, 6>, 2> tapCount{};

    // Second-pen strokes in dual-pen mode, for the double-tap mark.
    std::atomic<int> strokeOpen{0};
    std::atomic<int> strokeCount{0};
    std::atomic<std::int32_t> firstStrokeX{0};
    std::atomic<std::int32_t> firstStrokeY{0};
    std::atomic<std::uint32_t> firstLiftTick{0};
};

} // namespace driver
