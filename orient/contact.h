#pragma once

#include "driver/pen/pen_frame.h"
#include "driver/pointer/calibration.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orient {

// What becomes of a contact of the pen. The collector judges the first
// three; a run refuses a taken contact as Folded when its point would fold
// the grid.
enum class ContactVerdict : std::uint8_t { Taken, TooShort, Wandered, Folded };

// How one contact of the pen ended.
struct ContactResult {
    ContactVerdict verdict = ContactVerdict::TooShort;
    driver::GridPoint point; // the median of x and of y; set for every verdict
    int frames = 0;          // touch frames of the contact
    int spread = 0;          // board units: the larger of the x range and the y range
};

// One contact of the first pen, from the raw frames the driver forwards:
// touch frames until a lift. It is taken when it has at least kMinFrames
// touch frames and its spread stays within kMaxSpread board units; its
// point is then the median of its x and of its y, which a pen's landing
// and lifting jitter does not move. Any sequence of bytes is safe here, and
// nothing allocates.
class ContactCollector {
public:
    static constexpr int kMinFrames = 10;
    static constexpr int kMaxSpread = 40;
    // A pen held still for longer gives its median from this many frames;
    // the spread still counts every frame.
    static constexpr std::size_t kMaxSamples = 1024;

    // Frames that fail the check byte, of the second pen or of any other
    // status are ignored. The lift that ends a contact gives its result;
    // a lift without a contact gives none.
    std::optional<ContactResult> OnFrame(const driver::PenFrame& frame);
    // Forgets a contact in progress.
    void Reset();
    bool InContact() const { return m_frames > 0; }

private:
    ContactResult Finish();

    int m_frames = 0;
    std::int32_t m_minX = 0;
    std::int32_t m_maxX = 0;
    std::int32_t m_minY = 0;
    std::int32_t m_maxY = 0;
    std::size_t m_samples = 0;
    std::array<std::int32_t, kMaxSamples> m_xs{};
    std::array<std::int32_t, kMaxSamples> m_ys{};
};

} // namespace orient
