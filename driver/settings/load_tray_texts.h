#pragma once

#include "common/language_texts.h"
#include "driver/state/tray_texts.h"
#include "platform/profile_port.h"

namespace driver {

// The icon's texts in the source's language, each from the other language's
// file when the first lacks it. Language files of an older installation
// lack them all: each missing one reads as its English text.
TrayTexts LoadTrayTexts(platform::ProfilePort& profile, const common::TextSource& source,
                        const common::TextNote& note);

} // namespace driver
