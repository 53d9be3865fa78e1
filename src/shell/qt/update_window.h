#pragma once
// The update window "Mise à jour": offers a newer version, has the update helper download and check
// it while showing the transfer's states, and hands a verified download to the update installer.

#include <QWidget>
#include <functional>

#include "core/dialogs.h"
#include "core/launcher.h"
#include "plans/main_state.h"
#include "shell/qt/update_helper_qt.h"
#include "shell/updater.h"

class QLabel;
class QPushButton;

namespace vq {

class UpdateWindow final : public QWidget {
    Q_OBJECT
public:
    struct Deps {
        Updater& updater;
        MainState& state;
        Dialogs& dialogs;
        Launcher& starter;
        std::function<void()> endProgram;  // ends the process once the installer has started
    };
    explicit UpdateWindow(Deps deps, QWidget* parent = nullptr);
    ~UpdateWindow() override;

    // The version the window offers (its `Label2`).
    void setOffer(const VersionFile& offer);
    bool downloading() const { return m_downloading; }

signals:
    // After "Mettre à jour" has run to its end: true when the installer was started.
    void updateFinished(bool installed);

private:
    void startUpdate();
    void declineForever();
    void showState(TransferState state);
    void downloadFinished(DownloadOutcome outcome);

    Deps m_deps;
    VersionFile m_offer;
    QLabel* m_heading;
    QLabel* m_version;
    QLabel* m_state;
    QLabel* m_waiting;
    QPushButton* m_update;
    QPushButton* m_decline;
    HelperProcess m_helper;
    bool m_downloading = false;
    bool m_verified = false;  // the helper said so
};

}  // namespace vq
