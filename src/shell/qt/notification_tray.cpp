#include "shell/qt/notification_tray.h"

#include <QAction>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDesktopServices>
#include <QImageReader>
#include <QMenu>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QUrl>
#include <optional>
#include <string>

#include "shell/autostart.h"
#include "shell/exits.h"
#include "shell/qt/about_window.h"
#include "shell/update_addresses.h"
#include "skins/skin_folder.h"

// The program's pictures live in a static library: register them before the first use.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace vq {

namespace {

QIcon programIcon() {
    initIconResources();
    // Read as PNG outright: left to guess, Qt loads every image plugin of the machine to ask each one.
    QImageReader reader(QStringLiteral(":/icons/varlotte-qyr.png"), "png");
    reader.setAutoDetectImageFormat(false);
    const QPixmap picture = QPixmap::fromImage(reader.read());
    if (!picture.isNull()) {
        return QIcon(picture);
    }
    // Drawn when the picture is not built in, so the notification area never shows an empty slot.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(255, 128, 0));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 30, 30);
    painter.setPen(QColor(255, 255, 0));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("V"));
    painter.end();
    return QIcon(pixmap);
}

// Asks the session bus what Qt asks it once, when the first notification icon is created, to choose
// between a D-Bus icon and an embedded one, so that the program reads the icon's clicks as Qt
// reports them.
NotificationAreaKind probeNotificationArea() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool onBus = bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(watcher);
    bool hostRegistered = false;
    if (onBus) {
        QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
        hostRegistered = host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool();
    }
    return notificationAreaKind(onBus, hostRegistered);
}

// Each state's picture in a skin folder, as "<name>.png", ".gif" or ".bmp".
const char* statePictureName(TrayState state) {
    switch (state) {
        case TrayState::NotConnected:
            return "icone-deconnecte";
        case TrayState::Counting:
            return "icone-comptage";
        case TrayState::NearlyUsed:
            return "icone-presque";
        case TrayState::Exceeded:
            return "icone-depasse";
    }
    return "";
}

QPixmap skinPicture(const QString& folder, TrayState state) {
    if (folder.isEmpty())
        return {};
    for (const char* extension : {"png", "gif", "bmp"}) {
        const std::string name = std::string(statePictureName(state)) + "." + extension;
        if (std::optional<std::string> path = findSkinFile(folder.toStdString(), name)) {
            QImageReader reader(QString::fromStdString(*path), extension);
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            if (!image.isNull())
                return QPixmap::fromImage(image);
        }
    }
    return {};
}

// The program's icon marked for `state`: grey when nothing is counted, a green, orange or red badge
// in the lower right corner while a connection is counted.
QPixmap markedIcon(TrayState state) {
    QImage image = programIcon().pixmap(64, 64).toImage().convertToFormat(QImage::Format_ARGB32);
    if (state == TrayState::NotConnected) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = qGray(line[x]) / 2 + 64;  // paler, so it reads as "off"
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
            }
        }
        return QPixmap::fromImage(image);
    }
    const QColor badge = state == TrayState::Counting     ? QColor(40, 170, 60)
                         : state == TrayState::NearlyUsed ? QColor(245, 150, 0)
                                                          : QColor(215, 30, 30);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dot(image.width() * 0.5, image.height() * 0.5, image.width() * 0.48, image.height() * 0.48);
    painter.setPen(QPen(Qt::white, image.width() / 20.0));
    painter.setBrush(badge);
    painter.drawEllipse(dot);
    if (state == TrayState::Exceeded) {
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(static_cast<int>(dot.height() * 0.8));
        painter.setFont(font);
        painter.drawText(dot, Qt::AlignCenter, QStringLiteral("!"));
    }
    painter.end();
    return QPixmap::fromImage(image);
}

IconEvent toIconEvent(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            return IconEvent::DoubleClick;
        case QSystemTrayIcon::Context:
            return IconEvent::Context;
        case QSystemTrayIcon::Trigger:
            return IconEvent::Trigger;
        case QSystemTrayIcon::MiddleClick:
            return IconEvent::MiddleClick;
        case QSystemTrayIcon::Unknown:
            break;
    }
    return IconEvent::Unknown;
}

}  // namespace

TrayMenu::TrayMenu(const MainState& state, Actions actions, QWidget* parent)
    : QWidget(parent), m_state(state), m_actions(std::move(actions)), m_guard(probeNotificationArea()) {
    setObjectName(QStringLiteral("Form4"));
    m_menu = new QMenu(QStringLiteral("Menu"), this);
    m_menu->setObjectName(QStringLiteral("menu"));
    m_open = m_menu->addAction(QStringLiteral("Ouvrir"));
    m_open->setObjectName(QStringLiteral("ouvrir"));
    QFont bold = m_open->font();
    bold.setBold(true);
    m_open->setFont(bold);
    m_menu->setDefaultAction(m_open);
    QAction* statistics = m_menu->addAction(QStringLiteral("Statistiques"));
    statistics->setObjectName(QStringLiteral("statistiques"));
    m_autostart = m_menu->addAction(QStringLiteral("Lancer à l'ouverture de session"));
    m_autostart->setObjectName(QStringLiteral("ouverturesession"));
    m_autostart->setCheckable(true);
    m_autostart->setEnabled(false);
    QAction* help = m_menu->addAction(QStringLiteral("Aide"));
    help->setObjectName(QStringLiteral("Aide"));
    QAction* about = m_menu->addAction(QStringLiteral("Concepteur"));
    about->setObjectName(QStringLiteral("concepteur"));
    QAction* quitAction = m_menu->addAction(QStringLiteral("Quitter"));
    quitAction->setObjectName(QStringLiteral("Quitter"));

    connect(m_open, &QAction::triggered, this, [this] {
        if (m_actions.showMainWindow) {
            m_actions.showMainWindow();
        }
    });
    connect(statistics, &QAction::triggered, this, [this] {
        if (m_actions.showStatistics) {
            m_actions.showStatistics();
        }
    });
    connect(m_autostart, &QAction::triggered, this, &TrayMenu::toggleAutostart);
    // The entry may have been changed by the desktop's own settings since the menu was last open.
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        if (!m_autostartEntry.empty())
            m_autostart->setChecked(autostartEnabled(m_autostartEntry));
    });
    connect(help, &QAction::triggered, this, &TrayMenu::openWebSite);
    connect(about, &QAction::triggered, this, &TrayMenu::openAboutBox);
    connect(quitAction, &QAction::triggered, this, &TrayMenu::quit);

    m_icon = new QSystemTrayIcon(programIcon(), this);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { onIconEvent(toIconEvent(reason)); });
}

TrayMenu::~TrayMenu() {
    delete m_about;
}

AboutBox* TrayMenu::aboutBox() const {
    return m_about;
}

void TrayMenu::showIcon() {
    m_icon->show();
}

bool TrayMenu::notificationAreaAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayMenu::applyTaskListPolicy(QWidget* mainWindow) const {
    const bool listed = listedInTaskList(notificationAreaAvailable());
    if (mainWindow->windowFlags().testFlag(Qt::Tool) == !listed) {
        return;
    }
    const bool wasVisible = mainWindow->isVisible();
    mainWindow->setWindowFlag(Qt::Tool, !listed);
    if (wasVisible) {
        mainWindow->show();  // changing the flags hides the window
    }
}

void TrayMenu::reduce(QWidget* mainWindow) const {
    if (reduceAction(notificationAreaAvailable()) == ReduceAction::Hide) {
        mainWindow->hide();
    } else {
        mainWindow->showMinimized();
    }
}

void TrayMenu::setTip(const std::string& tip) {
    m_icon->setToolTip(QString::fromStdString(tip));
}

void TrayMenu::showState(TrayState state) {
    if (m_shownState.change(state))
        m_icon->setIcon(stateIcon(state));
}

void TrayMenu::setPictureFolder(const std::string& folder) {
    m_pictureFolder = QString::fromStdString(folder);
}

QIcon TrayMenu::stateIcon(TrayState state) const {
    const QPixmap picture = skinPicture(m_pictureFolder, state);
    return QIcon(picture.isNull() ? markedIcon(state) : picture);
}

void TrayMenu::setAutostart(const std::string& entryPath, const std::string& program) {
    m_autostartEntry = entryPath;
    m_program = program;
    m_autostart->setEnabled(!entryPath.empty() && !program.empty());
    m_autostart->setChecked(autostartEnabled(entryPath));
}

void TrayMenu::toggleAutostart(bool on) {
    if (m_autostartEntry.empty())
        return;
    if (on)
        enableAutostart(m_autostartEntry, m_program);
    else
        disableAutostart(m_autostartEntry);
    // What the file says, whether or not the change could be made.
    m_autostart->setChecked(autostartEnabled(m_autostartEntry));
}

void TrayMenu::onIconEvent(IconEvent event) {
    switch (m_guard.begin(event)) {
        case IconAction::None:
            return;
        case IconAction::ShowMainWindow:
            if (m_actions.showMainWindow) {
                m_actions.showMainWindow();
            }
            break;
        case IconAction::PopUpMenu:
            m_menu->exec(QCursor::pos(), m_open);
            break;
    }
    m_guard.finish();
}

void TrayMenu::openWebSite() {
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(kWebSite)));
}

void TrayMenu::openAboutBox() {
    if (!m_about) {
        m_about = new AboutBox(m_actions.showMainWindow);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void TrayMenu::quit() {
    writeExitState(m_state, m_actions.endedConnectionUnstored && m_actions.endedConnectionUnstored());
    m_icon->hide();
    if (m_actions.endProgram) {
        m_actions.endProgram();
    }
}

}  // namespace vq
