#include "core/listeners.h"

namespace vq {

Listeners::Id Listeners::add(std::function<void()> listener) {
    if (!listener)
        return 0;
    const Id id = m_next++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void Listeners::remove(Id id) {
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void Listeners::operator()() const {
    // By index, each one copied before the call: a listener may remove itself or another while it
    // runs, which shortens the list and destroys the stored function.
    for (std::size_t i = 0; i < m_listeners.size(); ++i) {
        const std::function<void()> listener = m_listeners[i].second;
        listener();
    }
}

}  // namespace vq
