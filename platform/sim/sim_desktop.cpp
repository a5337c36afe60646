#include "platform/sim/sim_desktop.h"

#include "platform/window_messages.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Class names and titles compare without case (of ASCII letters here), and
// without allocating: the reader thread looks windows up for every area it
// fires.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

SimDesktop::Window* SimDesktop::Find(WindowHandle window) {
    const auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &it->second;
}

const SimDesktop::Window* SimDesktop::Find(WindowHandle window) const {
    const auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &it->second;
}

WindowHandle SimDesktop::FindWindow(std::string_view className,
                                    std::optional<std::string_view> title) {
    std::lock_guard lock(m_mutex);
    for (const WindowHandle handle : m_zOrder) {
        const Window& window = m_windows.at(handle);
        if (SameName(window.className, className) && (!title || SameName(window.title, *title))) {
            return handle;
        }
    }
    return kNoWindow;
}

bool SimDesktop::PostMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) {
    std::lock_guard lock(m_mutex);
    Window* target = Find(window);
    if (target == nullptr) {
        return false;
    }
    ++m_postCounts[{window, message}];
    if (target->logging) {
        target->log.push_back({m_elapsedMs, message, wParam, lParam});
    } else {
        m_queue.push_back({window, message, wParam, lParam});
    }
    return true;
}

std::uint32_t SimDesktop::RegisterWindowMessage(std::string_view name) {
    std::lock_guard lock(m_mutex);
    if (name.empty()) {
        return 0;
    }
    const auto [it, added] = m_registered.try_emplace(
        Lower(name), wm::kFirstRegistered + static_cast<std::uint32_t>(m_registered.size()));
    return it->second;
}

WindowHandle SimDesktop::GetForegroundWindow() {
    std::lock_guard lock(m_mutex);
    return Find(m_foreground) != nullptr ? m_foreground : kNoWindow;
}

int SimDesktop::MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                           std::uint32_t style) {
    std::uint64_t answeredAt = 0;
    {
        std::lock_guard lock(m_mutex);
        m_messageBoxes.push_back({owner, std::string(text), std::string(caption), style});
        if (m_messageBoxOpenMs == 0) {
            return m_messageBoxAnswer;
        }
        answeredAt = m_elapsedMs + m_messageBoxOpenMs;
    }
    while (DispatchOne() || AdvanceToNextEvent(answeredAt)) {
    }
    std::lock_guard lock(m_mutex);
    if (m_elapsedMs < answeredAt) {
        m_clock.Advance(static_cast<std::uint32_t>(answeredAt - m_elapsedMs));
        m_elapsedMs = answeredAt;
    }
    return m_messageBoxAnswer;
}

LResult SimDesktop::DialogBoxModal(const DialogTemplate& dialog, WindowHandle parent,
                                   WindowProcedure& procedure) {
    (void)parent;
    WindowHandle handle = kNoWindow;
    {
        std::lock_guard lock(m_mutex);
        handle = m_nextHandle;
        m_nextHandle += 0x10;
        Window window;
        window.className = "#32770";
        window.title = dialog.caption;
        window.style = dialog.style & ~ws::kVisible;
        window.exStyle = dialog.exStyle;
        window.procedure = &procedure;
        for (const ControlTemplate& control : dialog.controls) {
            Control state;
            state.source = control;
            state.text = control.text;
            window.controls.emplace(control.id, std::move(state));
            window.controlOrder.push_back(control.id);
        }
        m_windows.emplace(handle, std::move(window));
        m_zOrder.insert(m_zOrder.begin(), handle);
    }
    Send(handle, wm::kInitDialog, 0, 0);
    {
        std::lock_guard lock(m_mutex);
        Window* window = Find(handle);
        if (window != nullptr && !window->ended && (dialog.style & ws::kVisible) != 0 &&
            (window->style & ws::kVisible) == 0 && !window->visible) {
            // The dialog manager shows a visible-styled dialog after its
            // initialisation, unless the dialog hid itself already.
            window->visible = true;
            window->style |= ws::kVisible;
        }
    }
    return RunLoop(handle);
}

LResult SimDesktop::RunLoop(WindowHandle handle) {
    const std::uint64_t limit = m_modalLimitMs;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            const Window* window = Find(handle);
            if (window == nullptr) {
                return -1;
            }
            if (window->ended) {
                break;
            }
        }
        if (!DispatchOne() && !PaintOne() && !AdvanceToNextEvent(limit)) {
            return -1; // nothing can happen any more, or the time bound passed
        }
    }
    LResult result = 0;
    {
        std::lock_guard lock(m_mutex);
        result = Find(handle)->endResult;
    }
    DestroyOwnWindow(handle);
    return result;
}

void SimDesktop::DestroyOwnWindow(WindowHandle handle) {
    Send(handle, wm::kDestroy, 0, 0);
    std::lock_guard lock(m_mutex);
    std::erase_if(m_timers, [&](const auto& entry) { return entry.first.first == handle; });
    std::erase_if(m_queue, [&](const Queued& q) { return q.window == handle; });
    m_zOrder.erase(std::remove(m_zOrder.begin(), m_zOrder.end(), handle), m_zOrder.end());
    m_windows.erase(handle);
}

LResult SimDesktop::RunWindow(const WindowDescription& description, WindowProcedure& procedure) {
    WindowHandle handle = kNoWindow;
    {
        std::lock_guard lock(m_mutex);
        handle = m_nextHandle;
        m_nextHandle += 0x10;
        Window window;
        window.className = description.className;
        window.title = description.title;
        window.style = description.style & ~ws::kVisible;
        window.exStyle = description.exStyle;
        window.x = description.x;
        window.y = description.y;
        window.cx = description.cx;
        window.cy = description.cy;
        window.procedure = &procedure;
        window.plain = true;
        m_windows.emplace(handle, std::move(window));
        m_zOrder.insert(m_zOrder.begin(), handle);
    }
    if (Send(handle, wm::kCreate, 0, 0) == -1) {
        DestroyOwnWindow(handle);
        return -1;
    }
    {
        std::lock_guard lock(m_mutex);
        if (Window* window = Find(handle)) {
            window->visible = true;
            window->style |= ws::kVisible;
            window->needsPaint = true;
            m_foreground = handle;
        }
    }
    return RunLoop(handle);
}

bool SimDesktop::EndWindow(WindowHandle window, LResult result) {
    return EndDialog(window, result);
}

void SimDesktop::Invalidate(WindowHandle window) {
    std::lock_guard lock(m_mutex);
    if (Window* target = Find(window)) {
        target->needsPaint = true;
    }
}

void SimDesktop::Paint(WindowHandle window, const std::function<void(Canvas&)>& draw) {
    int width = 0;
    int height = 0;
    {
        std::lock_guard lock(m_mutex);
        Window* target = Find(window);
        if (target == nullptr) {
            return;
        }
        target->needsPaint = false;
        width = target->cx;
        height = target->cy;
    }
    SimCanvas canvas(width, height);
    draw(canvas);
    std::lock_guard lock(m_mutex);
    if (Window* target = Find(window)) {
        target->picture = canvas.TakeShapes();
    }
}

bool SimDesktop::PaintOne() {
    WindowHandle handle = kNoWindow;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [candidate, window] : m_windows) {
            if (window.needsPaint && !window.ended) {
                handle = candidate;
                break;
            }
        }
    }
    if (handle == kNoWindow) {
        return false;
    }
    Send(handle, wm::kPaint, 0, 0);
    std::lock_guard lock(m_mutex);
    if (Window* window = Find(handle)) {
        window->needsPaint = false; // validated, painted or not
    }
    return true;
}

DesktopRect SimDesktop::WindowBounds(WindowHandle window) const {
    std::lock_guard lock(m_mutex);
    const Window* target = Find(window);
    return target == nullptr
               ? DesktopRect{}
               : DesktopRect{target->x, target->y, target->x + target->cx, target->y + target->cy};
}

std::vector<DrawnShape> SimDesktop::Picture(WindowHandle window) const {
    std::lock_guard lock(m_mutex);
    const Window* target = Find(window);
    return target == nullptr ? std::vector<DrawnShape>{} : target->picture;
}

void SimDesktop::ClickAt(WindowHandle window, Point point) {
    PostMessage(window, wm::kLButtonDown, 1, LParamFromPoint(point));
    PostMessage(window, wm::kLButtonUp, 0, LParamFromPoint(point));
}

bool SimDesktop::EndDialog(WindowHandle dialog, LResult result) {
    std::lock_guard lock(m_mutex);
    Window* window = Find(dialog);
    if (window == nullptr || window->procedure == nullptr) {
        return false;
    }
    window->ended = true;
    window->endResult = result;
    return true;
}

LResult SimDesktop::Send(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    WindowProcedure* procedure = nullptr;
    {
        std::lock_guard lock(m_mutex);
        Window* target = Find(window);
        if (target == nullptr) {
            return 0;
        }
        if (target->logging) {
            target->log.push_back({m_elapsedMs, message, wParam, lParam});
            return 0;
        }
        procedure = target->procedure;
    }
    bool handled = false;
    const LResult result = procedure == nullptr
                               ? 0
                               : procedure->HandleMessage(window, message, wParam, lParam, handled);
    if (!handled) {
        DefaultProcessing(window, message, wParam);
    }
    return result;
}

void SimDesktop::DefaultProcessing(WindowHandle window, std::uint32_t message, WParam wParam) {
    (void)wParam;
    bool plain = false;
    {
        std::lock_guard lock(m_mutex);
        const Window* target = Find(window);
        plain = target != nullptr && target->plain;
    }
    if (plain) {
        if (message == wm::kClose) {
            EndWindow(window, 0); // the window is destroyed
        }
        return;
    }
    if (message == wm::kClose) {
        // The dialog manager turns a close into the Cancel command.
        Send(window, wm::kCommand, static_cast<WParam>(id::kCancel), 0);
    }
}

bool SimDesktop::DispatchOne() {
    Queued next;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty()) {
            return false;
        }
        next = m_queue.front();
        m_queue.pop_front();
    }
    Send(next.window, next.message, next.wParam, next.lParam);
    return true;
}

bool SimDesktop::ShowWindow(WindowHandle window, int command) {
    std::lock_guard lock(m_mutex);
    Window* target = Find(window);
    if (target == nullptr) {
        return false;
    }
    const bool wasVisible = target->visible;
    target->visible = command != sw::kHide;
    target->style =
        target->visible ? (target->style | ws::kVisible) : (target->style & ~ws::kVisible);
    return wasVisible;
}

bool SimDesktop::IsWindowVisible(WindowHandle window) {
    std::lock_guard lock(m_mutex);
    const Window* target = Find(window);
    return target != nullptr && target->visible;
}

bool SimDesktop::IsIconic(WindowHandle window) {
    std::lock_guard lock(m_mutex);
    const Window* target = Find(window);
    return target != nullptr && target->iconic;
}

bool SimDesktop::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                              int cy, std::uint32_t flags) {
    (void)flags;
    std::lock_guard lock(m_mutex);
    Window* target = Find(window);
    if (target == nullptr) {
        return false;
    }
    target->x = x;
    target->y = y;
    target->cx = cx;
    target->cy = cy;
    if (insertAfter == kNoWindow) {
        m_zOrder.erase(std::remove(m_zOrder.begin(), m_zOrder.end(), window), m_zOrder.end());
        m_zOrder.insert(m_zOrder.begin(), window);
    }
    return true;
}

std::uint32_t SimDesktop::GetExStyle(WindowHandle window) {
    std::lock_guard lock(m_mutex);
    const Window* target = Find(window);
    return target == nullptr ? 0 : target->exStyle;
}

void SimDesktop::SetExStyle(WindowHandle window, std::uint32_t exStyle) {
    std::lock_guard lock(m_mutex);
    if (Window* target = Find(window)) {
        target->exStyle = exStyle;
    }
}

bool SimDesktop::SetWindowText(WindowHandle window, std::string_view text) {
    std::lock_guard lock(m_mutex);
    Window* target = Find(window);
    if (target == nullptr) {
        return false;
    }
    target->title = std::string(text);
    return true;
}

std::string SimDesktop::WindowTitle(WindowHandle window) const {
    std::lock_guard lock(m_mutex);
    const Window* target = Find(window);
    return target == nullptr ? std::string() : target->title;
}

void SimDesktop::PaintIconCentred(WindowHandle window, IconHandle icon) {
    (void)window;
    (void)icon;
    std::lock_guard lock(m_mutex);
    ++m_iconPaints;
}

void SimDesktop::DefaultPaint(WindowHandle window) {
    (void)window;
}

WindowHandle SimDesktop::CreateLoggingWindow(std::string className, std::string title) {
    std::lock_guard lock(m_mutex);
    const WindowHandle handle = m_nextHandle;
    m_nextHandle += 0x10;
    Window window;
    window.className = std::move(className);
    window.title = std::move(title);
    window.visible = true;
    window.logging = true;
    m_windows.emplace(handle, std::move(window));
    m_zOrder.insert(m_zOrder.begin(), handle);
    return handle;
}

void SimDesktop::DestroyWindow(WindowHandle window) {
    std::lock_guard lock(m_mutex);
    m_windows.erase(window);
    m_zOrder.erase(std::remove(m_zOrder.begin(), m_zOrder.end(), window), m_zOrder.end());
}

std::vector<PostedMessage> SimDesktop::MessagesTo(WindowHandle window) const {
    std::lock_guard lock(m_mutex);
    const Window* target = Find(window);
    return target == nullptr ? std::vector<PostedMessage>{} : target->log;
}

std::vector<MessageBoxRecord> SimDesktop::MessageBoxes() const {
    std::lock_guard lock(m_mutex);
    return m_messageBoxes;
}

void SimDesktop::SetForegroundWindow(WindowHandle window) {
    std::lock_guard lock(m_mutex);
    m_foreground = window;
}

int SimDesktop::CountWindows(std::string_view className, std::string_view title) const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(
        std::count_if(m_windows.begin(), m_windows.end(), [&](const auto& entry) {
            return SameName(entry.second.className, className) && entry.second.title == title;
        }));
}

int SimDesktop::PostCount(WindowHandle window, std::uint32_t message) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_postCounts.find({window, message});
    return found == m_postCounts.end() ? 0 : found->second;
}

} // namespace platform
