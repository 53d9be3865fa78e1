#pragma once
// The skin chooser ("Form3"): browse to a folder, see whether it holds a complete skin, and on "Ok"
// store it and start the program anew with it; "Sortir", like closing it from the window manager, goes
// back to the main window.

#include <QWidget>
#include <functional>
#include <string>

#include "skins/skin_folder.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vq {

class SkinChooser final : public QWidget {
    Q_OBJECT
public:
    struct Deps {
        std::string optionIni;
        std::string programFolder;
        std::string runningProgram;
        Dialogs& dialogs;
        Launcher& launcher;
        std::function<void()> endNow;      // ends the process at once after a restart
        std::function<void()> backToMain;  // shows the main window again once the chooser closes
    };
    // The lists open on `startFolder` (the current folder when empty).
    explicit SkinChooser(Deps deps, const QString& startFolder = {}, QWidget* parent = nullptr);

    // The folder the lists show; setting it is what opening a folder in the list does.
    QString folder() const { return m_folder; }
    void openFolder(const QString& path);

    void accept();  // "Ok"
    void leave();   // "Sortir"

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillDrives();
    void driveChosen(int index);
    void entryActivated(QListWidgetItem* item);

    Deps m_deps;
    QString m_folder;
    QComboBox* m_drives;
    QListWidget* m_folders;
    QLineEdit* m_path;
    QLineEdit* m_verdict;
    QPushButton* m_ok;
    QPushButton* m_quit;
    int m_driveIndex = -1;
};

}  // namespace vq
