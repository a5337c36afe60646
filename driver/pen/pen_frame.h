#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace driver {

// One frame of the board protocol: header, model/spare byte, status,
// X and Y as two 7-bit bytes each, XOR check byte.
using PenFrame = std::array<std::uint8_t, 8>;

namespace frame_header {
inline constexpr std::uint8_t kFirstPen = 0xEE;
inline constexpr std::uint8_t kSecondPen = 0xAA;
} // namespace frame_header

namespace pen_status {
inline constexpr std::uint8_t kTouch = 0x81;
inline constexpr std::uint8_t kLift = 0x83;
inline constexpr std::uint8_t kButton1Click = 0x85;
inline constexpr std::uint8_t kButton2Click = 0x87;
inline constexpr std::uint8_t kDoubleTap = 0x88; // only ever sent, never honoured on receipt
inline constexpr std::uint8_t kTouchButton1 = 0x89;
inline constexpr std::uint8_t kTouchButton2 = 0x8A;
inline constexpr std::uint8_t kRightKeyError = 0xAE;
inline constexpr std::uint8_t kLeftKeyError = 0xAF;
inline constexpr std::uint8_t kLeftKeyFirst = 0xD2;
inline constexpr std::uint8_t kLeftKeyLast = 0xDF;
inline constexpr std::uint8_t kRightKeyFirst = 0xF2;
inline constexpr std::uint8_t kRightKeyLast = 0xFF;
} // namespace pen_status

struct BoardPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const BoardPoint&, const BoardPoint&) = default;
};

// The board's one command. Its last byte is deliberately not the XOR of
// the others; the board expects it exactly so.
inline constexpr PenFrame StartCommand = {0xCE, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

std::uint8_t FrameXor(std::span<const std::uint8_t, 7> bytes);

bool FrameChecksumOk(const PenFrame& frame);

// The board counts both axes the other way round: 1..16384 after the turn.
std::int32_t DecodeBoardCoordinate(std::uint8_t high, std::uint8_t low);

BoardPoint DecodeBoardPoint(const PenFrame& frame);

bool IsFirstPenKeyStatus(std::uint8_t status);

// The second pen's position in screen pixels, for the dual-pen channel.
// Only the low 16 bits of each coordinate travel, high byte first.
PenFrame BuildScreenPenFrame(const PenFrame& received, std::uint8_t status, std::int32_t screenX,
                             std::int32_t screenY);

} // namespace driver
