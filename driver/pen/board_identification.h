#pragma once

#include "driver/pen/pen_frame.h"

#include <span>

namespace driver {

struct BoardFeatures {
    bool functionAreas = false;
    bool twoPens = false;
    friend bool operator==(const BoardFeatures&, const BoardFeatures&) = default;
};

// A model the driver knows, kept as the whole frame the board sends.
struct KnownBoard {
    PenFrame frame{};
    BoardFeatures features;
};

std::span<const KnownBoard> KnownBoards();

// Only bytes 0 and 1 name the model; the rest of the frame is not looked at.
// None for a pair that no known board sends.
const KnownBoard* IdentifyBoard(const PenFrame& frame);

} // namespace driver
