#pragma once

#include "framework/window_base.h"
#include "platform/canvas.h"
#include "platform/window_port.h"

namespace framework {

// A top-level window of the program's own class: paints go to OnPaint, and
// a loop runs until EndModalLoop.
class CWnd : public CWindowBase {
public:
    explicit CWnd(platform::WindowSystem& windows);

    // Creates the window and runs its loop: the result given to
    // EndModalLoop, or -1 when the window could not be made.
    LResult RunModalLoop(const platform::WindowDescription& description);
    bool EndModalLoop(LResult result);

protected:
    // False refuses the window.
    virtual bool OnCreate() { return true; }
    // Draws the whole client area.
    virtual void OnPaint(platform::Canvas& canvas) { (void)canvas; }
    // Base: ends the loop with 0.
    virtual void OnClose();

    LResult OnFirstMessage() final;
    // Paint and close, then default processing.
    LResult ClassBehaviour(std::uint32_t message, WParam wParam, LParam lParam,
                           bool& handled) override;
};

} // namespace framework
