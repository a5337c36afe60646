#include "platform/profile_text.h"

#include "platform/ini/ini_engine.h"
#include "platform/text_encoding.h"

namespace platform::profile_text {

namespace {

bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

bool IsTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

} // namespace

std::optional<std::string_view> WholeDoubleByteText(std::string_view bytes, bool wasCut) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (!IsLeadByte(static_cast<unsigned char>(bytes[i]))) {
            ++i;
            continue;
        }
        if (i + 1 == bytes.size()) {
            return wasCut ? std::optional(bytes.substr(0, i)) : std::nullopt;
        }
        if (!IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            return std::nullopt;
        }
        i += 2;
    }
    return bytes;
}

bool StartsWithByteOrderMark(std::string_view head) {
    return head.starts_with("\xEF\xBB\xBF") || head.starts_with("\xFF\xFE") ||
           head.starts_with("\xFE\xFF");
}

bool StartsWithUtf16Mark(std::string_view head) {
    return head.starts_with("\xFF\xFE");
}

ProfileText FoundText(std::u16string text, std::size_t capacity) {
    const std::size_t units = capacity == 0 ? 0 : capacity - 1;
    const bool cut = text.size() > units;
    if (cut) {
        text.resize(units);
        if (!text.empty() && text.back() >= 0xD800 && text.back() < 0xDC00) {
            text.pop_back();
        }
    }
    return {ProfileText::Status::Found, Utf16ToUtf8(text), cut};
}

ProfileText ReadDoubleByteText(const std::optional<std::string>& file, std::string_view section,
                               std::string_view key, std::size_t capacity,
                               DoubleByteDecoder decode) {
    if (!file || file->empty() || capacity == 0) {
        return {ProfileText::Status::Missing, {}};
    }
    if (StartsWithByteOrderMark(*file)) {
        return {ProfileText::Status::Undecodable, {}};
    }
    const std::size_t bufferSize = DoubleByteBufferSize(capacity);
    const std::string raw = ini::ReadString(*file, section, key, kAbsent, bufferSize);
    if (raw == kAbsent) {
        return {ProfileText::Status::Missing, {}};
    }
    const bool filledBuffer = raw.size() + 1 >= bufferSize;
    const std::optional<std::string_view> whole = WholeDoubleByteText(raw, filledBuffer);
    std::optional<std::u16string> decoded;
    if (whole) {
        decoded = whole->empty() ? std::u16string() : decode(*whole);
    }
    if (!decoded) {
        return {ProfileText::Status::Undecodable, {}};
    }
    ProfileText text = FoundText(std::move(*decoded), capacity);
    // A full buffer held at least capacity characters of the value.
    text.cut = text.cut || filledBuffer;
    return text;
}

} // namespace platform::profile_text
