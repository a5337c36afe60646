#include "platform/sim/sim_profile_text.h"

#include "platform/code_page_936.h"
#include "platform/ini/ini_engine.h"
#include "platform/profile_text.h"
#include "platform/text_encoding.h"

#include <limits>

namespace platform {

namespace {

std::string Utf8OfUtf16Le(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return Utf16ToUtf8(units);
}

} // namespace

ProfileText ReadTextOfFile(const std::optional<std::string>& file, std::string_view section,
                           std::string_view key, TextEncoding encoding, std::size_t capacity) {
    if (encoding == TextEncoding::Utf16) {
        if (!file || file->empty()) {
            return {ProfileText::Status::Missing, {}};
        }
        if (!profile_text::StartsWithUtf16Mark(*file)) {
            return {ProfileText::Status::Undecodable, {}};
        }
        const std::string value =
            ini::ReadString(Utf8OfUtf16Le(std::string_view(*file).substr(2)), section, key,
                            profile_text::kAbsent, std::numeric_limits<std::size_t>::max());
        if (value == profile_text::kAbsent) {
            return {ProfileText::Status::Missing, {}};
        }
        return profile_text::FoundText(Utf8ToUtf16(value), capacity);
    }
    return profile_text::ReadDoubleByteText(file, section, key, capacity, DecodeCodePage936);
}

} // namespace platform
