#include "shell/update_check_qt.h"

namespace vq {

QtUpdateCheck::QtUpdateCheck(UpdateWindow::Deps deps, QObject* parent)
    : QObject(parent), m_deps(std::move(deps)) {}

QtUpdateCheck::~QtUpdateCheck() {
    if (m_worker.joinable()) {
        m_worker.join();  // bounded by the check's time limit
    }
    delete m_window;
}

void QtUpdateCheck::connectionOpened(int installedVersion) {
    if (installedVersion == 0 || m_running) {
        return;
    }
    if (m_worker.joinable()) {
        m_worker.join();  // the previous check has already delivered its answer
    }
    m_running = true;
    Updater& updater = m_deps.updater;
    m_worker = std::thread([this, &updater] {
        std::optional<VersionFile> file = updater.fetchVersionFile();
        QMetaObject::invokeMethod(
            this, [this, file] { versionFetched(file); }, Qt::QueuedConnection);
    });
}

void QtUpdateCheck::versionFetched(std::optional<VersionFile> file) {
    m_running = false;
    bool offered = false;
    if (file) {
        m_deps.state.fetchedVersion = file->versionText;
        // Read now, not when the check began: "Ne plus me demander" may have been pressed since.
        if (isNewerVersion(*file, m_deps.state.versioninstallee)) {
            if (!m_window) {
                m_window = new UpdateWindow(m_deps);
            }
            if (!m_window->downloading()) {
                m_window->setOffer(*file);
                m_window->show();
                m_window->raise();
                offered = true;
            }
        }
    }
    emit checked(offered);
}

}  // namespace vq
