#pragma once

#include "platform/profile_port.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace orient {

// Everything the calibration program says, from section "Orient" of
// Language.ini. In the texts with numbers, %1 and %2 stand for them.
struct OrientTexts {
    std::string caption;        // IDS_ORIENT_CAPTION
    std::string touchTarget;    // IDS_ORIENT_TOUCH
    std::string progress;       // IDS_ORIENT_PROGRESS: target %1 of %2
    std::string escape;         // IDS_ORIENT_ESCAPE
    std::string tooShort;       // IDS_ORIENT_TOO_SHORT
    std::string wandered;       // IDS_ORIENT_WANDERED
    std::string folded;         // IDS_ORIENT_FOLDED
    std::string connecting;     // IDS_ORIENT_CONNECTING
    std::string noDriver;       // IDS_ORIENT_NO_DRIVER
    std::string noPipe;         // IDS_ORIENT_NO_PIPE
    std::string pipeLost;       // IDS_ORIENT_PIPE_LOST
    std::string saveFailed;     // IDS_ORIENT_SAVE_FAILED
    std::string verify;         // IDS_ORIENT_VERIFY
    std::string verifyProgress; // IDS_ORIENT_VERIFY_PROGRESS: cross %1 of %2
    std::string result;         // IDS_ORIENT_RESULT: mean %1, largest %2 pixels
    std::string scale;          // IDS_ORIENT_SCALE: errors drawn %1 times larger
    std::string redo;           // IDS_ORIENT_REDO
    std::string finish;         // IDS_ORIENT_FINISH
    std::string cancel;         // IDS_ORIENT_CANCEL
    std::string exit;           // IDS_ORIENT_EXIT
};

inline constexpr std::string_view kMissingText = "GetError";

// The texts from the language file at path, as display text; a missing
// file or key gives kMissingText.
OrientTexts ReadOrientTexts(platform::ProfilePort& profile, const std::string& path);

// pattern with %1, %2, ... replaced by the values; the pattern comes from a
// file a user may edit, so it never reaches a printf-style formatter.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

} // namespace orient
