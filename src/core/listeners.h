#pragma once
// Functions called one after the other when something happened (an engine that changed its state):
// each listener is added with its own id and leaves with it, so that none replaces another.

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace vq {

class Listeners {
public:
    using Id = std::size_t;
    // Adds `listener` after the others; an empty function is not added (0 is returned).
    Id add(std::function<void()> listener);
    // Removes the listener added as `id`; an unknown id does nothing.
    void remove(Id id);
    // Calls every listener, in the order they were added.
    void operator()() const;
    bool empty() const { return m_listeners.empty(); }

private:
    std::vector<std::pair<Id, std::function<void()>>> m_listeners;
    Id m_next = 1;
};

}  // namespace vq
