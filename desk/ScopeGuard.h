// Undoes a temporary change when the scope ends, by return or by exception: a filter mode
// switched for one command, a grid detached while a loop runs, a list hidden while it
// fills. An error in the middle then leaves the desk as it was.
#pragma once

#include <utility>

namespace vornelta {

template <typename Undo> class ScopeGuard {
public:
    explicit ScopeGuard(Undo undo) : m_undo(std::move(undo)) {}
    ~ScopeGuard() { m_undo(); }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

private:
    Undo m_undo;
};

// Sets a value for the life of the guard, then gives back the one it had:
//   auto mode = switchValue(desk.runDateFilterMode, int(rdmByAnnouncement));
template <typename T, typename V> [[nodiscard]] auto switchValue(T& target, V&& value) {
    T old = std::exchange(target, std::forward<V>(value));
    return ScopeGuard([&target, old = std::move(old)]() mutable { target = std::move(old); });
}

} // namespace vornelta
