#pragma once
// The notification icon and its menu window "Form4": the tip with the counters, a picture for the
// counting state, a double-click (or the activation of a D-Bus icon) that brings the main window
// back, and the pop-up menu (open, statistics, start at login, help site, about box, quit). It also holds the
// program's exits, shared with the main window's quit buttons.

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "engine/ports.h"
#include "plans/main_state.h"
#include "shell/tray_logic.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vq {

class AboutBox;

class TrayMenu final : public QWidget, public TrayTip {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> showMainWindow;  // loads if needed, shows and raises the main window
        std::function<void()> endProgram;      // ends the process at once, running no further handler
        std::function<bool()> endedConnectionUnstored;  // an ended connection still waits to be stored
        std::function<void()> showStatistics;           // opens (or raises) the statistics window
    };
    TrayMenu(const MainState& state, Actions actions, QWidget* parent = nullptr);
    ~TrayMenu() override;

    // Puts the icon in the notification area (when the desktop has one).
    void showIcon();
    bool notificationAreaAvailable() const;
    // Takes the main window out of the task list when the icon can bring it back, else keeps it there.
    void applyTaskListPolicy(QWidget* mainWindow) const;
    // "Réduire": hides the main window, or minimises it when there is no notification area.
    void reduce(QWidget* mainWindow) const;

    void setTip(const std::string& tip) override;
    // Shows `state`; the picture is made again only when the state changed.
    void showState(TrayState state);
    // The skin folder whose state pictures the icon shows (when it has them).
    void setPictureFolder(const std::string& folder);
    // The autostart entry the "Lancer à l'ouverture de session" entry writes or removes, and the
    // program it starts; the entry is disabled until they are known.
    void setAutostart(const std::string& entryPath, const std::string& program);
    void openAboutBox();
    // Stores the exit state, removes the icon and ends the program.
    void quit();

    QMenu* menu() const { return m_menu; }
    QSystemTrayIcon* icon() const { return m_icon; }
    AboutBox* aboutBox() const;

private:
    void onIconEvent(IconEvent event);
    void openWebSite();
    void toggleAutostart(bool on);
    QIcon stateIcon(TrayState state) const;

    const MainState& m_state;
    Actions m_actions;
    IconGuard m_guard;
    QSystemTrayIcon* m_icon = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_open = nullptr;
    QAction* m_autostart = nullptr;
    std::string m_autostartEntry;
    std::string m_program;
    QString m_pictureFolder;
    TrayIconState m_shownState;
    QPointer<AboutBox> m_about;
};

}  // namespace vq
