#pragma once

#include "common/language_texts.h"
#include "common/program_contract.h"
#include "orient/contact.h"
#include "platform/profile_port.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace orient {

// Everything the calibration program says, from section "Orient" of
// Language.ini. In the texts with numbers, %1 and %2 stand for them.
struct OrientTexts {
    std::string caption;
    std::string touchTarget;
    std::string progress; // target %1 of %2
    std::string escape;
    std::string tooShort;
    std::string wandered;
    std::string folded;
    std::string connecting;
    std::string noDriver;
    std::string noPipe;
    std::string pipeLost;
    std::string saveFailed;
    std::string verify;
    std::string verifyProgress; // cross %1 of %2
    std::string result;         // mean %1, largest %2 pixels
    std::string scale;          // errors drawn %1 times larger
    std::string redo;
    std::string finish;
    std::string cancel;
    std::string exit;
    std::string chooseMonitor;
};

// Each text's key in section "Orient".
struct TextKey {
    std::string_view key;
    std::string OrientTexts::*text;
};
inline constexpr TextKey kTextKeys[] = {
    {"IDS_ORIENT_CAPTION", &OrientTexts::caption},
    {"IDS_ORIENT_TOUCH", &OrientTexts::touchTarget},
    {"IDS_ORIENT_PROGRESS", &OrientTexts::progress},
    {"IDS_ORIENT_ESCAPE", &OrientTexts::escape},
    {"IDS_ORIENT_TOO_SHORT", &OrientTexts::tooShort},
    {"IDS_ORIENT_WANDERED", &OrientTexts::wandered},
    {"IDS_ORIENT_FOLDED", &OrientTexts::folded},
    {"IDS_ORIENT_CONNECTING", &OrientTexts::connecting},
    {"IDS_ORIENT_NO_DRIVER", &OrientTexts::noDriver},
    {"IDS_ORIENT_NO_PIPE", &OrientTexts::noPipe},
    {"IDS_ORIENT_PIPE_LOST", &OrientTexts::pipeLost},
    {"IDS_ORIENT_SAVE_FAILED", &OrientTexts::saveFailed},
    {"IDS_ORIENT_VERIFY", &OrientTexts::verify},
    {"IDS_ORIENT_VERIFY_PROGRESS", &OrientTexts::verifyProgress},
    {"IDS_ORIENT_RESULT", &OrientTexts::result},
    {"IDS_ORIENT_SCALE", &OrientTexts::scale},
    {"IDS_ORIENT_REDO", &OrientTexts::redo},
    {"IDS_ORIENT_FINISH", &OrientTexts::finish},
    {"IDS_ORIENT_CANCEL", &OrientTexts::cancel},
    {"IDS_ORIENT_EXIT", &OrientTexts::exit},
};

// Shown on each monitor in turn until the board is touched. Its own
// fallback: a Language.ini of an older installation lacks it, and a prompt
// that says "GetError" would leave the teacher at the board with nothing to do.
inline constexpr std::string_view kChooseMonitorKey = "IDS_ORIENT_CHOOSE_MONITOR";
inline constexpr std::string_view kChooseMonitorFallback =
    "如果这是白板的屏幕，请用笔在白板上点一下";

// Each verdict's word in the log and the hint the window shows with the
// target it leaves in place; a taken contact needs none.
struct VerdictText {
    ContactVerdict verdict;
    std::string_view logWord;
    std::string OrientTexts::*hint;
};
inline constexpr VerdictText kVerdictTexts[] = {
    {ContactVerdict::Taken, "taken", nullptr},
    {ContactVerdict::TooShort, "too short", &OrientTexts::tooShort},
    {ContactVerdict::Wandered, "wandered", &OrientTexts::wandered},
    {ContactVerdict::Folded, "folded", &OrientTexts::folded},
};

std::string_view LogWord(ContactVerdict verdict);
// "" for a verdict without a hint.
std::string_view Hint(const OrientTexts& texts, ContactVerdict verdict);

// One decimal, as the log and the result show pixels and board points.
std::string OneDecimal(double value);

// The texts in the source's language, each from the other language's file
// when the first lacks it; a text neither has gives
// contract::language_file::kMissingText (chooseMonitor: its fallback). Why a
// file was passed over goes to note.
OrientTexts ReadOrientTexts(platform::ProfilePort& profile, const common::TextSource& source,
                            const common::TextNote& note);

// pattern with %1, %2, ... replaced by the values; the pattern comes from a
// file a user may edit, so it never reaches a printf-style formatter.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

} // namespace orient
