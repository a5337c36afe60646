#include "driver/pen/pen_frame.h"

namespace driver {

std::uint8_t FrameXor(std::span<const std::uint8_t, 7> bytes) {
    std::uint8_t check = 0;
    for (const std::uint8_t byte : bytes) {
        check ^= byte;
    }
    return check;
}

bool FrameChecksumOk(const PenFrame& frame) {
    return frame[7] == FrameXor(std::span<const std::uint8_t, 7>(frame.data(), 7));
}

std::int32_t DecodeBoardCoordinate(std::uint8_t high, std::uint8_t low) {
    const std::int32_t raw = ((high & 0x7F) << 7) | (low & 0x7F);
    return 0x4000 - raw;
}

BoardPoint DecodeBoardPoint(const PenFrame& frame) {
    return {DecodeBoardCoordinate(frame[3], frame[4]), DecodeBoardCoordinate(frame[5], frame[6])};
}

bool IsFirstPenKeyStatus(std::uint8_t status) {
    return (status >= pen_status::kLeftKeyFirst && status <= pen_status::kLeftKeyLast) ||
           status >= pen_status::kRightKeyFirst;
}

PenFrame BuildScreenPenFrame(const PenFrame& received, std::uint8_t status, std::int32_t screenX,
                             std::int32_t screenY) {
    const auto x = static_cast<std::uint32_t>(screenX);
    const auto y = static_cast<std::uint32_t>(screenY);
    PenFrame out = {received[0],
                    received[1],
                    status,
                    static_cast<std::uint8_t>((x >> 8) & 0xFF),
                    static_cast<std::uint8_t>(x & 0xFF),
                    static_cast<std::uint8_t>((y >> 8) & 0xFF),
                    static_cast<std::uint8_t>(y & 0xFF),
                    0};
    out[7] = FrameXor(std::span<const std::uint8_t, 7>(out.data(), 7));
    return out;
}

} // namespace driver
