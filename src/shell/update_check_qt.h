#pragma once
// The update check run when a counted connection opens: the version file is fetched on a worker
// thread within a short time limit, and the answer comes back to the UI thread, which shows the
// update window when a newer version is offered. The UI thread never waits for the network.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <thread>

#include "engine/ports.h"
#include "shell/update_window.h"

namespace vq {

class QtUpdateCheck final : public QObject, public UpdateCheck {
    Q_OBJECT
public:
    explicit QtUpdateCheck(UpdateWindow::Deps deps, QObject* parent = nullptr);
    ~QtUpdateCheck() override;

    void connectionOpened(int installedVersion) override;
    UpdateWindow* window() const { return m_window; }

signals:
    // A check has ended; `offered` when the update window was shown.
    void checked(bool offered);

private:
    void versionFetched(std::optional<VersionFile> file);

    UpdateWindow::Deps m_deps;
    QPointer<UpdateWindow> m_window;
    std::thread m_worker;
    std::atomic<bool> m_running{false};
};

}  // namespace vq
