#include "shell/qt/update_window.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vq {

UpdateWindow::UpdateWindow(Deps deps, QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_deps(std::move(deps)) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Mise à jour"));

    m_heading = new QLabel(QStringLiteral("Une mise à jour est disponible :"), this);
    m_heading->setObjectName(QStringLiteral("Label1"));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("Label2"));
    m_state = new QLabel(QStringLiteral("En attente..."), this);
    m_state->setObjectName(QStringLiteral("etat"));
    m_waiting = new QLabel(this);
    m_waiting->setObjectName(QStringLiteral("Label3"));
    m_waiting->setWordWrap(true);
    m_update = new QPushButton(QStringLiteral("Mettre à jour"), this);
    m_update->setObjectName(QStringLiteral("Command1"));
    m_decline = new QPushButton(QStringLiteral("Ne plus me demander"), this);
    m_decline->setObjectName(QStringLiteral("Command2"));

    auto* heading = new QHBoxLayout;
    heading->addWidget(m_heading);
    heading->addWidget(m_version);
    heading->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_update);
    buttons->addWidget(m_decline);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(m_state);
    layout->addWidget(m_waiting);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(m_update, &QPushButton::clicked, this, &UpdateWindow::startUpdate);
    connect(m_decline, &QPushButton::clicked, this, &UpdateWindow::declineForever);
    connect(&m_helper, &HelperProcess::lineRead, this, [this](const std::string& line) {
        const HelperLine read = readHelperLine(line);
        if (read.kind == HelperLine::Kind::State) {
            showState(read.state);
        } else if (read.kind == HelperLine::Kind::Verified) {
            m_verified = true;
        }
    });
    connect(&m_helper, &HelperProcess::finished, this, [this](bool succeeded) {
        downloadFinished(m_deps.updater.downloadEnded(succeeded && m_verified));
    });
}

UpdateWindow::~UpdateWindow() {
    if (m_downloading) {
        // A download cut short by the end of the program leaves nothing behind.
        m_helper.stop();
        m_deps.updater.downloadEnded(false);
    }
}

void UpdateWindow::setOffer(const VersionFile& offer) {
    if (m_downloading) {
        return;  // the version being downloaded stays the one offered
    }
    m_offer = offer;
    m_version->setText(QString::fromStdString(offer.versionText));
}

void UpdateWindow::startUpdate() {
    // An installed copy downloads nothing.
    if (m_downloading || !m_deps.updater.updatesAllowed()) {
        return;
    }
    m_downloading = true;
    m_verified = false;
    m_update->setEnabled(false);
    m_decline->setEnabled(false);
    m_waiting->clear();
    m_helper.start(m_deps.updater.helper(), m_deps.updater.downloadArguments(m_offer),
                   m_deps.updater.downloadDeadlineMs());
}

void UpdateWindow::showState(TransferState state) {
    const std::string text = transferStateText(state);
    if (!text.empty()) {
        m_state->setText(QString::fromStdString(text));
    }
    if (state == TransferState::Receiving) {
        m_waiting->setText(
            QStringLiteral("Veuillez patientez, la mise à jour est en train de s'effectuer..."));
    }
}

void UpdateWindow::downloadFinished(DownloadOutcome outcome) {
    bool installed = false;
    if (outcome == DownloadOutcome::Verified) {
        m_deps.dialogs.show("Transfert : OK", "", DialogButtons::Ok, DialogIcon::None);
        installed = m_deps.updater.install(m_offer.versionText, m_deps.state, m_deps.starter,
                                           QCoreApplication::applicationPid());
    }
    if (!installed) {
        // Nothing was stored and nothing started: the program goes on as before.
        m_deps.dialogs.show("Erreur", "", DialogButtons::Ok, DialogIcon::None);
        m_waiting->clear();
        m_state->setText(QStringLiteral("En attente..."));
    }
    m_downloading = false;
    m_update->setEnabled(true);
    m_decline->setEnabled(true);
    emit updateFinished(installed);
    if (installed && m_deps.endProgram) {
        m_deps.endProgram();
    }
}

void UpdateWindow::declineForever() {
    Updater::declineForever(m_deps.state);
    hide();
}

}  // namespace vq
