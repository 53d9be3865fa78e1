#include "skins/qt/skin_chooser.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>

namespace vq {

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 202;
const QString kParent = QStringLiteral("..");

enum ItemRole { PathRole = Qt::UserRole + 1 };

}  // namespace

SkinChooser::SkinChooser(Deps deps, const QString& startFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_deps(std::move(deps)) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Skins"));
    setAttribute(Qt::WA_DeleteOnClose);  // discarded once left
    setFixedSize(kWidth, kHeight);

    m_drives = new QComboBox(this);
    m_drives->setObjectName(QStringLiteral("Drive1"));
    m_drives->setGeometry(4, 4, kWidth - 8, 24);

    m_folders = new QListWidget(this);
    m_folders->setObjectName(QStringLiteral("Dir1"));
    m_folders->setGeometry(4, 32, kWidth - 8, 94);

    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_ok->setGeometry(4, 130, kWidth - 8, 22);

    m_verdict = new QLineEdit(QString::fromUtf8(kSkinInvalid), this);
    m_verdict->setObjectName(QStringLiteral("Text2"));
    m_verdict->setReadOnly(true);
    m_verdict->setAlignment(Qt::AlignCenter);
    m_verdict->setFocusPolicy(Qt::NoFocus);
    m_verdict->setGeometry(4, 155, kWidth - 8, 20);

    m_quit = new QPushButton(QStringLiteral("Sortir"), this);
    m_quit->setObjectName(QStringLiteral("Command2"));
    m_quit->setGeometry(4, 177, kWidth - 8, 22);

    // The candidate folder as text, kept out of sight below the window's visible part.
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("Text1"));
    m_path->setGeometry(4, kHeight + 8, kWidth - 8, 20);
    m_path->hide();

    QString start = QDir::cleanPath(startFolder.isEmpty() ? QDir::currentPath() : startFolder);
    if (!QDir(start).exists()) {
        start = QDir::homePath();  // the current folder was removed under the program
    }
    m_folder = start;
    fillDrives();
    openFolder(start);
    // Nothing is tested before the user changes folder.
    m_path->clear();
    m_verdict->setText(QString::fromUtf8(kSkinInvalid));

    connect(m_drives, &QComboBox::activated, this, &SkinChooser::driveChosen);
    connect(m_folders, &QListWidget::itemActivated, this, &SkinChooser::entryActivated);
    connect(m_ok, &QPushButton::clicked, this, &SkinChooser::accept);
    connect(m_quit, &QPushButton::clicked, this, &SkinChooser::leave);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
}

void SkinChooser::fillDrives() {
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && !roots.contains(volume.rootPath())) {
            roots.append(volume.rootPath());
        }
    }
    roots.sort();
    m_drives->clear();
    m_drives->addItems(roots);
    // The drive shown is the volume holding the current folder: the longest root it starts with.
    int best = 0;
    for (int i = 0; i < roots.size(); ++i) {
        const QString& root = roots[i];
        const bool holds = m_folder == root || m_folder.startsWith(root.endsWith('/') ? root : root + '/');
        if (holds && root.size() > roots[best].size()) {
            best = i;
        }
    }
    m_drives->setCurrentIndex(best);
    m_driveIndex = best;
}

void SkinChooser::driveChosen(int index) {
    const QString root = m_drives->itemText(index);
    const QStorageInfo volume(root);
    const QFileInfo info(root);
    if (!volume.isReady() || !info.isDir() || !info.isReadable()) {
        m_deps.dialogs.show("Le lecteur " + root.toStdString() + " n'est pas prêt.", "Erreur",
                            DialogButtons::Ok, DialogIcon::Exclamation);
        m_drives->setCurrentIndex(m_driveIndex);
        return;
    }
    m_driveIndex = index;
    openFolder(root);
}

void SkinChooser::openFolder(const QString& path) {
    const QDir dir(path);
    if (!dir.exists() || !dir.isReadable()) {
        return;
    }
    m_folder = QDir::cleanPath(path);
    m_folders->clear();
    auto* here =
        new QListWidgetItem(QStringLiteral("▾ ") + (dir.isRoot() ? m_folder : dir.dirName()), m_folders);
    here->setFlags(Qt::ItemIsEnabled);
    here->setToolTip(m_folder);
    QFont bold = here->font();
    bold.setBold(true);
    here->setFont(bold);
    if (!dir.isRoot()) {
        auto* up = new QListWidgetItem(kParent, m_folders);
        up->setData(PathRole, QFileInfo(m_folder).absolutePath());
    }
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                    QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& entry : entries) {
        auto* item = new QListWidgetItem(QStringLiteral("  ") + entry.fileName(), m_folders);
        item->setData(PathRole, entry.absoluteFilePath());
        item->setToolTip(entry.absoluteFilePath());
    }
    m_path->setText(m_folder);
    m_verdict->setText(QString::fromStdString(skinVerdict(m_folder.toStdString())));
}

void SkinChooser::entryActivated(QListWidgetItem* item) {
    const QString target = item ? item->data(PathRole).toString() : QString();
    if (!target.isEmpty()) {
        openFolder(target);
    }
}

void SkinChooser::accept() {
    const SkinAcceptance with{m_deps.optionIni, m_deps.programFolder, m_deps.runningProgram, m_deps.dialogs,
                              m_deps.launcher};
    const SkinAcceptResult result =
        acceptSkinFolder(m_verdict->text().toStdString(), m_path->text().toStdString(), with);
    if (result == SkinAcceptResult::Restarted && m_deps.endNow) {
        m_deps.endNow();
    }
}

void SkinChooser::leave() {
    close();
}

void SkinChooser::closeEvent(QCloseEvent* event) {
    // "Sortir" and the window manager's close both leave without change.
    event->accept();
    if (m_deps.backToMain) {
        m_deps.backToMain();
    }
}

}  // namespace vq
