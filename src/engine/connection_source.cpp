#include "engine/connection_source.h"

#include <utility>

namespace vq {

void ConnectionSource::setProfilesListener(std::function<void()> listener) {
    m_profilesListener = std::move(listener);
}

void ConnectionSource::profilesChanged() const {
    if (m_profilesListener)
        m_profilesListener();
}

}  // namespace vq
