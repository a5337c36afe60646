#include "platform/sim/sim_profile_text.h"

#include "platform/ini/ini_engine.h"
#include "platform/profile_text.h"
#include "platform/text_encoding.h"

#include <iconv.h>

#include <limits>
#include <memory>

namespace platform {

namespace {

struct IconvCloser {
    void operator()(iconv_t handle) const { iconv_close(handle); }
};
using Iconv = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

std::string Utf8OfUtf16Le(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return Utf16ToUtf8(units);
}

} // namespace

std::optional<std::u16string> DecodeCodePage936(std::string_view bytes) {
    const Iconv decoder(iconv_open("UTF-16LE", "CP936"));
    if (decoder.get() == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string in(bytes);
    std::string out(bytes.size() * 2 + 2, '\0');
    char* inPointer = in.data();
    std::size_t inLeft = in.size();
    char* outPointer = out.data();
    std::size_t outLeft = out.size();
    if (iconv(decoder.get(), &inPointer, &inLeft, &outPointer, &outLeft) ==
        static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    const std::size_t written = out.size() - outLeft;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < written; i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                             static_cast<unsigned char>(out[i + 1]) << 8));
    }
    return text;
}

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
        return {ProfileText::Status::Found,
                profile_text::DisplayText(Utf8ToUtf16(value), capacity)};
    }
    return profile_text::ReadDoubleByteText(file, section, key, capacity, DecodeCodePage936);
}

} // namespace platform
