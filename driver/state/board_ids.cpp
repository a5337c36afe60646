#include "driver/state/board_ids.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace driver {

std::string Hex4(std::uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof(text), "%04x", unsigned{value});
    return text;
}

std::string UsbIdText(UsbIds ids) {
    // "%4x" pads with blanks, not zeros; the board's IDs fill all four places.
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "VID_%4x&PID_%4x", unsigned{ids.vendorId},
                  unsigned{ids.productId});
    std::string text = buffer;
    for (char& c : text) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool InterfaceNameCarriesIds(std::string_view interfaceName, UsbIds ids) {
    constexpr std::size_t kOffset = 8;
    const std::string match = UsbIdText(ids);
    if (interfaceName.size() < kOffset + match.size()) {
        return false;
    }
    const std::string_view part = interfaceName.substr(kOffset, match.size());
    return std::equal(part.begin(), part.end(), match.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
    });
}

} // namespace driver
