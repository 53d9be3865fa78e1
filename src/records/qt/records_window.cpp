#include "records/qt/records_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <utility>

#include "records/csv_export.h"
#include "skins/qt/face.h"
#include "skins/qt/picture_button.h"
#include "skins/qt/window_chrome.h"

namespace vq {
namespace {

// The built-in look, used until a skin gives the window its face. Positions are pixels from the
// window's top-left corner (a skin gives them in twips, 15 to the pixel).
constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kListTop = 37;  // the header's top plus one label height (255 twips)
constexpr int kRowHeight = 22;
constexpr int kColumnX[] = {20, 130, 240, 350};
constexpr int kColumnWidth[] = {100, 100, 100, 150};
constexpr int kCaptionY = 250;
constexpr int kAddRowY = 270;
constexpr int kEditRowY = 310;

QString fromStd(const std::string& s) {
    return QString::fromStdString(s);
}

// The edit rows' boxes: closed until "Ajouter" or "Modifier" opens their row.
QLineEdit* disabledTextBox(QWidget* window, const QString& objectName, int x, int y, int width) {
    QLineEdit* box = addTextBox(window, objectName, x, y, width);
    box->setEnabled(false);
    return box;
}

PictureButton* captionedButton(QWidget* window, const QString& objectName, const QString& toolTip,
                               const QString& caption, int x, int y, int width, int height) {
    PictureButton* button = addPictureButton(window, objectName, toolTip, x, y, caption);
    button->resize(width, height);
    return button;
}

}  // namespace

RecordsWindow::RecordsWindow(RecordStore& store, RecordEditor& editor, const Clock& clock, Dialogs& dialogs,
                             std::function<void()> showMainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_store(store),
      m_editor(editor),
      m_clock(clock),
      m_dialogs(dialogs),
      m_showMainWindow(std::move(showMainWindow)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Modification"));
    resize(kWidth, kHeight);
    // A plain background under the controls; a skin's face is painted over it.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(214, 222, 232));
    setPalette(pal);

    // The header's blanks were measured in a proportional font: a blank is about half a digit wide,
    // which is what lines "Départ", "Date" and "Connexion" up over the separators of the lines.
    QFont fixed = font();
    QLabel* header =
        addCaption(this, QStringLiteral("Label2"),
                   QStringLiteral("   Temps               Départ                 Date                 "
                                  "  Connexion "),
                   kColumnX[0], kListTop - 17, kWidth - 40);
    header->setFont(fixed);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("DataGrid1"));
    m_list->setFont(fixed);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setGeometry(kColumnX[0], kListTop, kWidth - 40, kCaptionY - kListTop - 10);

    // The skin files call these "label1(0)" to "label1(3)": the records window's label array.
    addCaption(this, QStringLiteral("Label1_0"), QStringLiteral("Temps passé :"), kColumnX[0], kCaptionY,
               kColumnWidth[0]);
    addCaption(this, QStringLiteral("Label1_2"), QStringLiteral("Heure de départ:"), kColumnX[1], kCaptionY,
               kColumnWidth[1]);
    addCaption(this, QStringLiteral("Label1_3"), QStringLiteral("Date :"), kColumnX[2], kCaptionY,
               kColumnWidth[2]);
    addCaption(this, QStringLiteral("Label1_1"), QStringLiteral("Connexion:"), kColumnX[3], kCaptionY,
               kColumnWidth[3]);

    m_addDuration = disabledTextBox(this, QStringLiteral("Text4"), kColumnX[0], kAddRowY, kColumnWidth[0]);
    m_addStartTime = disabledTextBox(this, QStringLiteral("Text6"), kColumnX[1], kAddRowY, kColumnWidth[1]);
    m_addDate = disabledTextBox(this, QStringLiteral("Text5"), kColumnX[2], kAddRowY, kColumnWidth[2]);
    m_addPlan = disabledTextBox(this, QStringLiteral("Text10"), kColumnX[3], kAddRowY, kColumnWidth[3]);
    m_editDuration = disabledTextBox(this, QStringLiteral("Text3"), kColumnX[0], kEditRowY, kColumnWidth[0]);
    m_editStartTime = disabledTextBox(this, QStringLiteral("Text2"), kColumnX[1], kEditRowY, kColumnWidth[1]);
    m_editDate = disabledTextBox(this, QStringLiteral("Text9"), kColumnX[2], kEditRowY, kColumnWidth[2]);
    m_editPlan = disabledTextBox(this, QStringLiteral("Text99"), kColumnX[3], kEditRowY, kColumnWidth[3]);

    m_openAdd = captionedButton(this, QStringLiteral("Command2"), QString(), QStringLiteral("Ajouter"), 515,
                                kAddRowY - 2, 62, 26);
    m_confirmAdd = captionedButton(this, QStringLiteral("Command3"), QString(), QStringLiteral("OK"), 582,
                                   kAddRowY - 2, 38, 26);
    m_openEdit = captionedButton(this, QStringLiteral("Command4"), QString(), QStringLiteral("Modifier"), 515,
                                 kEditRowY - 2, 62, 26);
    m_confirmEdit = captionedButton(this, QStringLiteral("Command5"), QString(), QStringLiteral("OK"), 582,
                                    kEditRowY - 2, 38, 26);
    m_remove = captionedButton(this, QStringLiteral("Command1"), QString(), QStringLiteral("Supprimer"), 515,
                               350, 105, 26);
    m_exit = captionedButton(this, QStringLiteral("Command6"), QStringLiteral("Sortir"), QStringLiteral("X"),
                             kWidth - 28, 6, 20, 20);

    // The exports live in the list's context menu; their shortcuts work anywhere in the window.
    auto* exportAll = new QAction(QStringLiteral("Exporter en CSV…"), m_list);
    exportAll->setObjectName(QStringLiteral("exportCsv"));
    exportAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    m_exportPlanMonth = new QAction(QStringLiteral("Exporter ce forfait et ce mois en CSV…"), m_list);
    m_exportPlanMonth->setObjectName(QStringLiteral("exportPlanMonthCsv"));
    m_exportPlanMonth->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    for (QAction* a : {exportAll, m_exportPlanMonth}) {
        a->setShortcutContext(Qt::WindowShortcut);
        a->setShortcutVisibleInContextMenu(true);
        m_list->addAction(a);
    }
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(exportAll, &QAction::triggered, this, &RecordsWindow::exportAll);
    connect(m_exportPlanMonth, &QAction::triggered, this, &RecordsWindow::exportSelectedPlanMonth);

    connect(m_list, &QListWidget::currentRowChanged, this, &RecordsWindow::selectRecord);
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { selectRecord(m_list->row(item)); });
    connect(m_openAdd, &QAbstractButton::clicked, this, &RecordsWindow::openAddRow);
    connect(m_confirmAdd, &QAbstractButton::clicked, this, &RecordsWindow::confirmAdd);
    connect(m_openEdit, &QAbstractButton::clicked, this, &RecordsWindow::openEditRow);
    connect(m_confirmEdit, &QAbstractButton::clicked, this, &RecordsWindow::confirmEdit);
    connect(m_remove, &QAbstractButton::clicked, this, &RecordsWindow::removeRecord);
    connect(m_exit, &QAbstractButton::clicked, this, &RecordsWindow::exitWindow);

    // Whoever changes the records (the counter at the end of a connection, the month reset), the
    // list follows.
    m_store.changed = [this] { syncList(); };
    syncList();
    showRows();
}

RecordsWindow::~RecordsWindow() {
    m_store.changed = nullptr;
}

void RecordsWindow::setFace(const QPixmap& face) {
    if (face.isNull())
        return;
    resize(face.deviceIndependentSize().toSize());
    applyFace(this, face);
}

PictureButton* RecordsWindow::pictureButton(const QString& objectName) const {
    return findChild<PictureButton*>(objectName);
}

void RecordsWindow::mousePressEvent(QMouseEvent* event) {
    // Any button drags the window by its face.
    dragWindowByFace(this);
    event->accept();
}

void RecordsWindow::closeEvent(QCloseEvent* event) {
    // The window is never destroyed: closing it is leaving it.
    event->ignore();
    exitWindow();
}

void RecordsWindow::selectRecord(int row) {
    run([&] { m_editor.select(m_rows, row); });
}

void RecordsWindow::openAddRow() {
    run([&] { m_editor.openAddRow(m_rows, m_clock); });
}

void RecordsWindow::confirmAdd() {
    run([&] { m_editor.add(m_rows); });
}

void RecordsWindow::openEditRow() {
    run([&] { m_editor.openEditRow(m_rows); });
}

void RecordsWindow::confirmEdit() {
    run([&] { m_editor.modify(m_rows); });
}

void RecordsWindow::removeRecord() {
    run([&] { m_editor.remove(m_rows); });
}

void RecordsWindow::exitWindow() {
    hide();
    if (m_showMainWindow)
        m_showMainWindow();
}

void RecordsWindow::exportAll() {
    exportRecordsCsv(m_store, m_dialogs, {});
}

void RecordsWindow::exportSelectedPlanMonth() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_store.count())
        return;
    if (std::optional<CsvSelection> selection = selectionOf(m_store.lines()[static_cast<std::size_t>(row)]))
        exportRecordsCsv(m_store, m_dialogs, *selection);
}

void RecordsWindow::run(const std::function<void()>& step) {
    if (m_busy)
        return;
    m_busy = true;
    readRows();
    step();
    m_busy = false;
    syncList();
    showRows();
}

void RecordsWindow::readRows() {
    m_rows.addDuration = m_addDuration->text().toStdString();
    m_rows.addStartTime = m_addStartTime->text().toStdString();
    m_rows.addDate = m_addDate->text().toStdString();
    m_rows.addPlan = m_addPlan->text().toStdString();
    m_rows.editDuration = m_editDuration->text().toStdString();
    m_rows.editStartTime = m_editStartTime->text().toStdString();
    m_rows.editDate = m_editDate->text().toStdString();
    m_rows.editPlan = m_editPlan->text().toStdString();
    m_rows.selected = m_list->currentRow();
}

void RecordsWindow::showRows() {
    setTextIfChanged(m_addDuration, m_rows.addDuration);
    setTextIfChanged(m_addStartTime, m_rows.addStartTime);
    setTextIfChanged(m_addDate, m_rows.addDate);
    setTextIfChanged(m_addPlan, m_rows.addPlan);
    setTextIfChanged(m_editDuration, m_rows.editDuration);
    setTextIfChanged(m_editStartTime, m_rows.editStartTime);
    setTextIfChanged(m_editDate, m_rows.editDate);
    setTextIfChanged(m_editPlan, m_rows.editPlan);
    for (QLineEdit* box : {m_addDuration, m_addStartTime, m_addDate, m_addPlan})
        box->setEnabled(m_rows.addRowEnabled);
    for (QLineEdit* box : {m_editDuration, m_editStartTime, m_editDate, m_editPlan})
        box->setEnabled(m_rows.editRowEnabled);
    m_confirmAdd->setEnabled(m_rows.addConfirmEnabled);
    m_confirmEdit->setEnabled(m_rows.editConfirmEnabled);
    m_exportPlanMonth->setEnabled(m_rows.selected >= 0);
    if (m_list->currentRow() != m_rows.selected) {
        const QSignalBlocker block(m_list);
        m_list->setCurrentRow(m_rows.selected);
    }
}

void RecordsWindow::syncList() {
    const std::vector<std::string>& lines = m_store.lines();
    const int before = m_list->currentRow();
    const std::string selectedLine = before >= 0 && before < static_cast<int>(m_shown.size())
                                         ? m_shown[static_cast<std::size_t>(before)]
                                         : std::string();
    // Only the stretch between the common head and the common tail changes: one item for an
    // append, a replace or a removal, whatever the length of the list.
    const std::size_t shown = m_shown.size();
    const std::size_t wanted = lines.size();
    std::size_t head = 0;
    while (head < shown && head < wanted && m_shown[head] == lines[head])
        ++head;
    std::size_t tail = 0;
    while (tail < shown - head && tail < wanted - head &&
           m_shown[shown - 1 - tail] == lines[wanted - 1 - tail])
        ++tail;
    if (head == shown && head == wanted)
        return;
    {
        const QSignalBlocker block(m_list);
        const std::size_t oldEnd = shown - tail;
        const std::size_t newEnd = wanted - tail;
        std::size_t i = head;
        for (; i < oldEnd && i < newEnd; ++i)
            m_list->item(static_cast<int>(i))->setText(fromStd(lines[i]));
        if (oldEnd > newEnd) {
            for (std::size_t k = oldEnd; k > newEnd; --k)
                delete m_list->takeItem(static_cast<int>(k - 1));
        } else if (newEnd > i) {
            QStringList added;
            added.reserve(static_cast<qsizetype>(newEnd - i));
            for (std::size_t k = i; k < newEnd; ++k)
                added << fromStd(lines[k]);
            if (tail == 0) {
                m_list->addItems(added);
            } else {
                for (qsizetype k = 0; k < added.size(); ++k)
                    m_list->insertItem(static_cast<int>(i) + static_cast<int>(k), added[k]);
            }
        }
    }
    m_shown = lines;
    // The list changed behind the window's back (a record counted, the month cleared): when the
    // selection now stands on another line, the edit row follows it.
    if (m_busy)
        return;
    const int after = m_list->currentRow();
    const std::string nowSelected = after >= 0 && after < static_cast<int>(m_shown.size())
                                        ? m_shown[static_cast<std::size_t>(after)]
                                        : std::string();
    if (after != before || nowSelected != selectedLine) {
        m_busy = true;
        readRows();
        m_editor.select(m_rows, after);
        m_busy = false;
        showRows();
    }
}

}  // namespace vq
