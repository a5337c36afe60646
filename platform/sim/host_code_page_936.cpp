#include "platform/code_page_936.h"

#include <iconv.h>

#include <memory>
#include <type_traits>

namespace platform {

namespace {

struct IconvCloser {
    void operator()(iconv_t handle) const { iconv_close(handle); }
};
using Iconv = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

} // namespace

// Builds without Windows decode as the host's C library does.
std::optional<std::u16string> DecodeCodePage936(std::string_view bytes) {
    const Iconv decoder(iconv_open("UTF-16LE", "CP936"));
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's failure value
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

} // namespace platform
