#include "shell/notification_tray.h"

#include <QAction>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDesktopServices>
#include <QImageReader>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QUrl>

#include "shell/about_window.h"
#include "shell/exits.h"
#include "shell/update_addresses.h"

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
