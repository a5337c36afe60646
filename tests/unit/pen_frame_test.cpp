#include "driver/pen/board_identification.h"
#include "driver/pen/hid_report.h"
#include "driver/pen/pen_frame.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace driver {
namespace {

PenFrame WithCheck(PenFrame frame) {
    frame[7] = FrameXor(std::span<const std::uint8_t, 7>(frame.data(), 7));
    return frame;
}

TEST(PenFrame, DecodeIgnoresBit7AndTurnsTheAxis) {
    EXPECT_EQ(DecodeBoardCoordinate(0xFF, 0xFF), 1); // raw 16383
    EXPECT_EQ(DecodeBoardCoordinate(0x7F, 0x7F), 1);
    EXPECT_EQ(DecodeBoardCoordinate(0x00, 0x00), 16384); // raw 0
    EXPECT_EQ(DecodeBoardCoordinate(0x80, 0x80), 16384);
    EXPECT_EQ(DecodeBoardCoordinate(0x01, 0x00), 16384 - 128);
    EXPECT_EQ(DecodeBoardCoordinate(0x00, 0x01), 16383);
}

TEST(PenFrame, PointComesFromBytes3To6) {
    const PenFrame frame = WithCheck({0xEE, 0x00, 0x81, 0x10, 0x05, // X raw 0x805 = 2053
                                      0x20, 0x7F});                 // Y raw 0x107F = 4223
    EXPECT_EQ(DecodeBoardPoint(frame), (BoardPoint{16384 - 2053, 16384 - 4223}));
}

TEST(PenFrame, CheckByteIsXorOfTheOthers) {
    const PenFrame touch = WithCheck({0xEE, 0x12, 0x81, 0x10, 0x05, 0x20, 0x7F});
    EXPECT_TRUE(FrameChecksumOk(touch));
    for (std::size_t i = 0; i < touch.size(); ++i) {
        PenFrame broken = touch;
        broken[i] ^= 0x01;
        EXPECT_FALSE(FrameChecksumOk(broken)) << "flipped byte " << i;
    }
    // The board's own command would be dropped if it ever came back.
    EXPECT_FALSE(FrameChecksumOk(StartCommand));
}

// The edges of the two key ranges, and statuses of other kinds beside them.
TEST(PenFrame, KeyStatusesAreTheTwoKeyRanges) {
    const std::pair<std::uint8_t, bool> cases[] = {
        {0x81, false}, {0xAF, false}, {0xD1, false}, {0xD2, true}, {0xD8, true},
        {0xDF, true},  {0xE0, false}, {0xF1, false}, {0xF2, true}, {0xFF, true}};
    for (const auto& [status, key] : cases) {
        EXPECT_EQ(IsFirstPenKeyStatus(status), key) << "status " << int{status};
    }
}

TEST(ScreenPenFrame, PutsThePointHighByteFirstWithAFreshCheck) {
    const PenFrame received = WithCheck({0xAA, 0x34, 0x81, 0x01, 0x02, 0x03, 0x04});
    const PenFrame out = BuildScreenPenFrame(received, pen_status::kDoubleTap, 1920, 1080);
    EXPECT_EQ(out, WithCheck({0xAA, 0x34, 0x88, 0x07, 0x80, 0x04, 0x38}));
    EXPECT_TRUE(FrameChecksumOk(out));

    // Only the low 16 bits travel.
    const PenFrame wide = BuildScreenPenFrame(received, pen_status::kTouch, 0x12345, -1);
    EXPECT_EQ(wide[3], 0x23);
    EXPECT_EQ(wide[4], 0x45);
    EXPECT_EQ(wide[5], 0xFF);
    EXPECT_EQ(wide[6], 0xFF);
}

TEST(HidReport, StartReportAndFrameOffset) {
    const HidReport expected = {0x02, 0x08, 0xCE, 0, 0, 0, 0, 0, 0, 0, 0,
                                0,    0,    0,    0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(hidStartReport, expected);

    HidReport input{};
    input[0] = 0x01; // report number: not part of the frame
    input[1] = 0x08;
    const PenFrame frame = WithCheck({0xEE, 0x00, 0x83, 0x11, 0x22, 0x33, 0x44});
    std::copy(frame.begin(), frame.end(), input.begin() + 2);
    input[10] = 0x99; // trailing padding is ignored
    EXPECT_EQ(FrameFromHidReport(input), frame);
}

TEST(BoardIdentification, TableIsConsistent) {
    std::set<std::pair<int, int>> pairs;
    for (const KnownBoard& board : KnownBoards()) {
        EXPECT_TRUE(FrameChecksumOk(board.frame))
            << std::hex << int{board.frame[0]} << " " << int{board.frame[1]};
        EXPECT_NE(board.frame[0], frame_header::kFirstPen);
        EXPECT_NE(board.frame[0], frame_header::kSecondPen);
        EXPECT_TRUE(pairs.insert({board.frame[0], board.frame[1]}).second)
            << "duplicate pair " << std::hex << int{board.frame[0]} << " " << int{board.frame[1]};
    }
    EXPECT_EQ(pairs.size(), 21U);
}

TEST(BoardIdentification, PairSelectsFeatures) {
    struct Case {
        std::uint8_t b0, b1;
        BoardFeatures features;
    };
    const Case cases[] = {
        {0xE8, 0x5F, {true, false}}, {0xEC, 0x5F, {true, false}}, {0xEA, 0x55, {false, false}},
        {0xE8, 0xAF, {true, true}},  {0xEC, 0xA5, {false, true}}, {0xE9, 0xEF, {true, true}},
        {0xE5, 0xE5, {true, true}},  {0xEC, 0xED, {false, true}},
    };
    for (const Case& c : cases) {
        const KnownBoard* board = IdentifyBoard(WithCheck({c.b0, c.b1, 0, 0, 0, 0, 0}));
        ASSERT_NE(board, nullptr) << std::hex << int{c.b0} << " " << int{c.b1};
        EXPECT_EQ(board->features, c.features) << std::hex << int{c.b0} << " " << int{c.b1};
    }
    // Bytes 2 to 6 are not looked at.
    const KnownBoard* board = IdentifyBoard(WithCheck({0xE8, 0x5F, 0x81, 0x12, 0x34, 0x56, 0x78}));
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->features, (BoardFeatures{true, false}));
}

TEST(BoardIdentification, UnknownPairsAreIgnored) {
    const std::pair<std::uint8_t, std::uint8_t> unknown[] = {
        {0xE5, 0xED}, {0xE6, 0xED}, {0xE9, 0x5F}, {0xE5, 0xEF}, {0x00, 0x00}, {0xEE, 0x5F}};
    for (const auto& [b0, b1] : unknown) {
        EXPECT_EQ(IdentifyBoard(WithCheck({b0, b1, 0, 0, 0, 0, 0})), nullptr)
            << std::hex << int{b0} << " " << int{b1};
    }
}

} // namespace
} // namespace driver
