#include "shell/qt/update_check_qt.h"

namespace vq {

QtUpdateCheck::QtUpdateCheck(UpdateWindow::Deps deps, QObject* parent)
    : QObject(parent), m_deps(std::move(deps)) {
    connect(&m_helper, &HelperProcess::lineRead, this, [this](const std::string& line) {
        const HelperLine read = readHelperLine(line);
        if (read.kind == HelperLine::Kind::Offer) {
            m_answer = read.offer;
        }
    });
    connect(&m_helper, &HelperProcess::finished, this,
            [this](bool succeeded) { versionFetched(succeeded ? m_answer : std::nullopt); });
}

QtUpdateCheck::~QtUpdateCheck() {
    delete m_window;
}

void QtUpdateCheck::connectionOpened(int installedVersion) {
    if (installedVersion == 0 || m_helper.running() || !m_deps.updater.updatesAllowed()) {
        return;
    }
    m_answer.reset();
    m_helper.start(m_deps.updater.helper(), m_deps.updater.checkArguments(), Updater::checkDeadlineMs());
}

void QtUpdateCheck::versionFetched(const std::optional<VersionFile>& file) {
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
