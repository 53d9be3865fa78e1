#pragma once
// The records window's editing: selecting a record, opening the add and edit rows, and the add,
// modify and remove operations that change a record together with its plan's totals and the main
// window. Works on the window's row texts, so it needs no widget.

#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/dialogs.h"
#include "records/main_window_port.h"
#include "records/record_store.h"

namespace vq {

inline constexpr const char* kIncompleteRecordMessage = "Veuillez complèter correctement les champs";
inline constexpr const char* kFullStoreMessage =
    "La liste des connexions est pleine (32767 connexions) : supprimez-en avant d'en ajouter.";
// A record line shorter than this (in characters) lacks a field.
inline constexpr std::size_t kMinRecordLineLength = 60;

// The texts and states of the records window's entry rows.
struct RecordsRows {
    // Add row.
    std::string addDuration;   // `Text4`
    std::string addStartTime;  // `Text6`
    std::string addDate;       // `Text5`
    std::string addPlan;       // `Text10`
    bool addRowEnabled = false;
    bool addConfirmEnabled = false;  // `Command3`

    // Edit row.
    std::string editDuration;   // `Text3`
    std::string editStartTime;  // `Text2`
    std::string editDate;       // `Text9`
    std::string editPlan;       // `Text99`
    bool editRowEnabled = false;
    bool editConfirmEnabled = false;  // `Command5`

    // What the open edit row will take back out of the totals: the plan and duration (`Text11`) of
    // the record it was opened for, and that record's line.
    std::string formerPlan;
    std::string formerDuration;
    std::string formerLine;

    int selected = -1;  // list position of the selected record, -1 for none

    // Working values of the last operation: the plan's new month total (`Text7`) and allowance left
    // (`Text8`).
    std::string newMonthTotal;
    std::string newAllowanceLeft;
};

class RecordEditor {
public:
    RecordEditor(RecordStore& store, MainWindowPort& main, Dialogs& dialogs, std::string optionPath);

    // A record is selected (clicked, or reached with the keyboard): the edit row shows its fields.
    // A line with fewer than four fields leaves the edit row as it was.
    void select(RecordsRows& rows, int position) const;
    // Opens the add row with proposals: no duration, the current time and date, the main window's plan.
    void openAddRow(RecordsRows& rows, const Clock& clock) const;
    // Opens the edit row for the selected record; nothing happens without a well-formed selection.
    void openEditRow(RecordsRows& rows) const;

    // The confirming operations; each returns true when it changed the records.
    bool add(RecordsRows& rows);
    bool modify(RecordsRows& rows);
    bool remove(RecordsRows& rows);

    // first-minute price + price per minute x (60 x hours + minutes) of `duration`, with the main
    // window's prices (a price that is not a number counts as 0).
    double connectionPrice(std::string_view duration) const;
    // True when the main window's plan has an allowance and its allowance left is not used up.
    bool allowanceTest() const;
    // Shows the main window's plan totals again.
    void refreshMainWindow();

private:
    std::string total(const std::string& plan, const char* key) const;
    void setTotal(const std::string& plan, const char* key, const std::string& value);
    double amountDue(const std::string& plan) const;
    // Writes a plan's new amount due, and shows it on the main window when `show` is set.
    void setAmountDue(const std::string& plan, double amount, bool show);
    double countIn(RecordsRows& rows, const std::string& plan, const std::string& d, bool allowanceMoves);
    void takeBack(RecordsRows& rows, const std::string& plan, const std::string& d, bool showAmount);
    void overageCheck(const RecordsRows& rows, double prixRead);
    // A real dd/MM/yyyy date and a plan name short enough for its records to read back whole; says
    // why not otherwise.
    bool fieldsAcceptable(const std::string& date, const std::string& plan);
    bool lineLongEnough(const std::string& line);

    // Totals set by the running operation, written with its record change in one replacement of
    // the file (a crash in between would leave totals that the records do not add up to).
    IniValues m_pending;

    RecordStore& m_store;
    MainWindowPort& m_main;
    Dialogs& m_dialogs;
    std::string m_optionPath;
};

}  // namespace vq
