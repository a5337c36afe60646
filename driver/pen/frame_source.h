#pragma once

#include "driver/pen/pen_frame.h"

namespace driver {

// Where the reader thread gets the board's frames from, whatever the link.
class FrameSource {
public:
    enum class Outcome {
        Frame,   // bytes arrived; the frame may still fail its check byte
        Nothing, // nothing this time; read again
        Failed,  // the link is unusable: the reader ends with -1
    };

    virtual ~FrameSource() = default;

    // --- the reader thread ---
    // A reader run starts; false when the source cannot be read at all.
    virtual bool Begin() = 0;
    virtual void End() = 0;
    // The other source takes over within the run: nothing of this one may
    // stay under way.
    virtual void Leave() = 0;
    virtual Outcome Read(PenFrame& frame) = 0;

    // --- either thread ---
    // Sends the start command that wakes a silent board.
    virtual bool Wake() = 0;
    // Ends a read the reader is blocked in, so that it sees the link closed.
    virtual void AbortRead() = 0;
};

} // namespace driver
