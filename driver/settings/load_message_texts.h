#pragma once

#include "common/language_texts.h"
#include "common/program_contract.h"
#include "driver/state/message_texts.h"
#include "platform/profile_port.h"

namespace driver {

// The six texts in the source's language, each from the other language's
// file when the first lacks it, else contract::language_file::kMissingText;
// why a file was passed over goes to note.
MessageTexts LoadMessageTexts(platform::ProfilePort& profile, const common::TextSource& source,
                              const common::TextNote& note);

} // namespace driver
