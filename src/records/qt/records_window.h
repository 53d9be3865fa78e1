#pragma once
// The records window "Form2" ("Modification"): the connection records as a list, an add row and an
// edit row, and the picture buttons that open, confirm and remove. A frameless window laid out by
// coordinates, so that a skin can move its controls; it is created once and only hidden afterwards.
// The list's context menu and two shortcuts export the records to CSV (no button: skins stay valid).

#include <QPixmap>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/dialogs.h"
#include "records/record_editor.h"
#include "records/record_store.h"

class QLabel;
class QLineEdit;
class QAction;
class QListWidget;

namespace vq {

class PictureButton;

class RecordsWindow : public QWidget {
    Q_OBJECT
public:
    RecordsWindow(RecordStore& store, RecordEditor& editor, const Clock& clock, Dialogs& dialogs,
                  std::function<void()> showMainWindow, QWidget* parent = nullptr);
    ~RecordsWindow() override;

    // Skin hook: the window takes the face's size, its outline and shows it as its background. A
    // null face keeps the built-in look.
    void setFace(const QPixmap& face);
    PictureButton* pictureButton(const QString& objectName) const;

    const RecordsRows& rows() const { return m_rows; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void selectRecord(int row);
    void openAddRow();
    void confirmAdd();
    void openEditRow();
    void confirmEdit();
    void removeRecord();
    void exitWindow();
    // Every record, or those of the selected record's plan and month.
    void exportAll();
    void exportSelectedPlanMonth();

    // Runs one of the editor's steps on the rows as the user left them, then shows the result.
    void run(const std::function<void()>& step);
    void readRows();
    void showRows();
    // Brings the list up to the store's lines, touching only the items that changed.
    void syncList();

    RecordStore& m_store;
    RecordEditor& m_editor;
    const Clock& m_clock;
    Dialogs& m_dialogs;
    std::function<void()> m_showMainWindow;
    RecordsRows m_rows;
    bool m_busy = false;
    std::vector<std::string> m_shown;  // the lines the list shows, in order

    QListWidget* m_list = nullptr;
    // Add row: duration, start time, date, plan.
    QLineEdit* m_addDuration = nullptr;
    QLineEdit* m_addStartTime = nullptr;
    QLineEdit* m_addDate = nullptr;
    QLineEdit* m_addPlan = nullptr;
    // Edit row.
    QLineEdit* m_editDuration = nullptr;
    QLineEdit* m_editStartTime = nullptr;
    QLineEdit* m_editDate = nullptr;
    QLineEdit* m_editPlan = nullptr;
    PictureButton* m_openAdd = nullptr;
    PictureButton* m_confirmAdd = nullptr;
    PictureButton* m_openEdit = nullptr;
    PictureButton* m_confirmEdit = nullptr;
    PictureButton* m_remove = nullptr;
    PictureButton* m_exit = nullptr;
    QAction* m_exportPlanMonth = nullptr;
};

}  // namespace vq
