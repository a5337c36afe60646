#include "orient/calibration_run.h"

namespace orient {

CalibrationRun::CalibrationRun(GridLayout layout) : m_grid(layout) {
    for (int k = 0; k < TargetCount(m_grid.Layout()); ++k) {
        m_order.push_back(TargetAt(m_grid.Layout(), k));
    }
}

CalibrationRun::CalibrationRun(const MeasuredGrid& grid, GridIndex again) : m_grid(grid) {
    // A point the grid does not hold cannot be taken again: nothing to do.
    if (m_grid.Has(again)) {
        m_grid.Forget(again);
        m_order.push_back(again);
    }
}

std::optional<GridIndex> CalibrationRun::Current() const {
    if (Complete()) {
        return std::nullopt;
    }
    return m_order[m_next];
}

void CalibrationRun::OnContact(const ContactResult& contact) {
    if (Complete()) {
        return;
    }
    const GridIndex target = m_order[m_next];
    m_verdict = contact.verdict;
    if (m_verdict != ContactVerdict::Taken) {
        return;
    }
    if (!m_grid.FitsNeighbours(target, contact.point)) {
        m_verdict = ContactVerdict::Folded;
        return;
    }
    m_grid.Set(target, contact.point);
    ++m_next;
}

} // namespace orient
