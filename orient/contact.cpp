#include "orient/contact.h"

#include <algorithm>

namespace orient {
namespace {

// The middle value; the mean of the two middle ones for an even count.
double Median(std::int32_t* first, std::size_t count) {
    std::int32_t* middle = first + count / 2;
    std::nth_element(first, middle, first + count);
    if (count % 2 != 0) {
        return *middle;
    }
    const std::int32_t below = *std::max_element(first, middle);
    return (static_cast<double>(below) + *middle) / 2.0;
}

} // namespace

std::optional<ContactResult> ContactCollector::OnFrame(const driver::PenFrame& frame) {
    if (!driver::FrameChecksumOk(frame) || frame[0] != driver::frame_header::kFirstPen) {
        return std::nullopt;
    }
    if (frame[2] == driver::pen_status::kLift) {
        if (m_frames == 0) {
            return std::nullopt;
        }
        const ContactResult result = Finish();
        Reset();
        return result;
    }
    if (frame[2] != driver::pen_status::kTouch) {
        return std::nullopt;
    }
    const driver::BoardPoint point = driver::DecodeBoardPoint(frame);
    if (m_frames == 0) {
        m_minX = m_maxX = point.x;
        m_minY = m_maxY = point.y;
    }
    m_minX = std::min(m_minX, point.x);
    m_maxX = std::max(m_maxX, point.x);
    m_minY = std::min(m_minY, point.y);
    m_maxY = std::max(m_maxY, point.y);
    // A pen held for hours must not wrap the count round to a short contact.
    m_frames = std::min(m_frames + 1, kMinFrames * 1000);
    if (m_samples < kMaxSamples) {
        m_xs[m_samples] = point.x;
        m_ys[m_samples] = point.y;
        ++m_samples;
    }
    return std::nullopt;
}

void ContactCollector::Reset() {
    m_frames = 0;
    m_samples = 0;
}

ContactResult ContactCollector::Finish() {
    ContactResult result;
    result.frames = m_frames;
    result.spread = std::max(m_maxX - m_minX, m_maxY - m_minY);
    result.point = {Median(m_xs.data(), m_samples), Median(m_ys.data(), m_samples)};
    if (result.frames < kMinFrames) {
        result.verdict = ContactVerdict::TooShort;
    } else if (result.spread > kMaxSpread) {
        result.verdict = ContactVerdict::Wandered;
    } else {
        result.verdict = ContactVerdict::Taken;
    }
    return result;
}

} // namespace orient
