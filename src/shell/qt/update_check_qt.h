#pragma once
// The update check run when a counted connection opens: the update helper fetches and checks the
// version file within a short time limit, and its answer comes back to the UI thread, which shows
// the update window when a newer version is offered. The UI thread never waits for the network.

#include <QObject>
#include <QPointer>
#include <optional>

#include "engine/ports.h"
#include "shell/qt/update_helper_qt.h"
#include "shell/qt/update_window.h"

namespace vq {

class QtUpdateCheck final : public QObject, public UpdateCheck {
    Q_OBJECT
public:
    explicit QtUpdateCheck(UpdateWindow::Deps deps, QObject* parent = nullptr);
    ~QtUpdateCheck() override;

    // Checks unless checks are off, one is running, or the copy is installed (no updates at all).
    void connectionOpened(int installedVersion) override;
    UpdateWindow* window() const { return m_window; }
    // True from a check's start until its `checked`.
    bool checking() const { return m_helper.running(); }

signals:
    // A check has ended; `offered` when the update window was shown.
    void checked(bool offered);

private:
    void versionFetched(const std::optional<VersionFile>& file);

    UpdateWindow::Deps m_deps;
    QPointer<UpdateWindow> m_window;
    HelperProcess m_helper;
    std::optional<VersionFile> m_answer;
};

}  // namespace vq
