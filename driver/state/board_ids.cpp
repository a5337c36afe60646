#include "driver/state/board_ids.h"

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

} // namespace driver
