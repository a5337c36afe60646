#pragma once

#include "orient/contact.h"
#include "orient/grid_layout.h"

#include <optional>
#include <vector>

namespace orient {

// The targets one run asks for, in order, and what it makes of each contact
// of the pen: the target is taken and the next one shown, or it stays, with
// the reason.
class CalibrationRun {
public:
    // Every target of the layout, row by row from the top.
    explicit CalibrationRun(GridLayout layout);
    // One target of the grid again; its other points stay as they are.
    CalibrationRun(const MeasuredGrid& grid, GridIndex again);

    // The target shown now; none once the run is complete.
    std::optional<GridIndex> Current() const;
    // The current target's place in the run, from 1, and the run's length.
    int Step() const { return static_cast<int>(m_next) + 1; }
    int Steps() const { return static_cast<int>(m_order.size()); }
    bool Complete() const { return m_next >= m_order.size(); }
    // The verdict on the latest contact; Taken before any. A target that is
    // not taken stays shown with the verdict's hint.
    ContactVerdict LastVerdict() const { return m_verdict; }
    const MeasuredGrid& Grid() const { return m_grid; }

    void OnContact(const ContactResult& contact);

private:
    MeasuredGrid m_grid;
    std::vector<GridIndex> m_order;
    std::size_t m_next = 0;
    ContactVerdict m_verdict = ContactVerdict::Taken;
};

} // namespace orient
