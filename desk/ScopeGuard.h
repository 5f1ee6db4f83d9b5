// Undoes a temporary change when the scope ends, by return or by exception: a filter mode
// switched for one command, a grid detached while a loop runs, a list hidden while it
// fills. An error in the middle then leaves the desk as it was.
//
// A destructor must not throw: an undo that fails while the guard ends is reported (see
// reportFailedUndo) and the program goes on; when another exception is already on its way
// that first one is what reaches the caller. `undoNow` undoes at once and lets the undo's
// own exception through, for a caller that wants to hear of it.
#pragma once

#include <utility>

namespace vornelta {

// Reports the exception in flight as an undo that failed (call from a catch block): a
// warning on the program's log. Never throws.
void reportFailedUndo() noexcept;

template <typename Undo> class [[nodiscard]] ScopeGuard {
public:
    explicit ScopeGuard(Undo undo) : m_undo(std::move(undo)) {}
    ScopeGuard(ScopeGuard&& other) : m_undo(std::move(other.m_undo)), m_armed(other.m_armed) {
        other.m_armed = false;
    }
    ~ScopeGuard() {
        if (!m_armed) return;
        try {
            m_undo();
        } catch (...) {
            reportFailedUndo();
        }
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ScopeGuard& operator=(ScopeGuard&&) = delete;

    // Undoes now; the undo's exception reaches the caller, and the guard is spent either way.
    void undoNow() {
        if (!std::exchange(m_armed, false)) return;
        m_undo();
    }

private:
    Undo m_undo;
    bool m_armed = true;
};

} // namespace vornelta
