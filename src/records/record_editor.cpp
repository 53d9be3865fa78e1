#include "records/record_editor.h"

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/dates.h"
#include "core/duration.h"
#include "core/ini_store.h"
#include "core/numbers.h"
#include "core/price.h"
#include "core/utf8.h"
#include "records/option_file.h"

namespace vq {
namespace {

constexpr const char* kZero = "00:00:00";

// The allowance in whole hours; nothing when it is not a number.
std::optional<long long> allowance(const MainWindowPort& main) {
    return parseWhole(main.allowanceHours());
}

std::string hoursDuration(long long hours) {
    std::string h = std::to_string(hours);
    if (h.size() < 2)
        h.insert(0, "0");
    return h + ":00:00";
}

auto durationKey(std::string_view d) {
    long seconds = 0;
    if (d.size() >= 2) {
        auto s = parseWhole(d.substr(d.size() - 2));
        seconds = s ? static_cast<long>(*s) : 0;
    }
    return std::make_tuple(durationHours(d), durationMinutes(d), seconds);
}

// The allowance left once `d` is taken from `avf`. When `d` is the larger, the allowance is overrun:
// the result is then the overrun itself, a duration that is never "00:00:00", so that the overage
// check that follows finds the allowance run out and bills the time beyond it.
std::string allowanceLeftAfter(const std::string& avf, const std::string& d) {
    if (durationKey(d) > durationKey(avf))
        return Enlevetps(d, avf);
    return Enlevetps(avf, d);
}

}  // namespace

RecordEditor::RecordEditor(RecordStore& store, MainWindowPort& main, Dialogs& dialogs, std::string optionPath)
    : m_store(store), m_main(main), m_dialogs(dialogs), m_optionPath(std::move(optionPath)) {}

void RecordEditor::select(RecordsRows& rows, int position) const {
    if (position < 0 || position >= m_store.count()) {
        rows.selected = -1;
        return;
    }
    rows.selected = position;
    const std::string& line = m_store.lines()[static_cast<std::size_t>(position)];
    auto fields = splitRecordLine(line);
    if (fields.size() < 4)
        return;
    rows.editDuration = fields[0];
    rows.editStartTime = fields[1];
    rows.editDate = fields[2];
    rows.editPlan = fields[3];
    // While the edit row is open it always stands for the selected record.
    if (rows.editRowEnabled) {
        rows.formerPlan = fields[3];
        rows.formerDuration = fields[0];
        rows.formerLine = line;
    }
}

void RecordEditor::openAddRow(RecordsRows& rows, const Clock& clock) const {
    rows.addConfirmEnabled = true;
    rows.addRowEnabled = true;
    rows.addDuration = kZero;
    rows.addStartTime = timeText(clock.now());
    rows.addDate = dateText(clock.today());
    rows.addPlan = m_main.planName();
}

void RecordEditor::openEditRow(RecordsRows& rows) const {
    if (rows.selected < 0 || rows.selected >= m_store.count())
        return;
    const std::string& line = m_store.lines()[static_cast<std::size_t>(rows.selected)];
    auto fields = splitRecordLine(line);
    if (fields.size() < 4)
        return;
    rows.formerPlan = fields[3];
    rows.formerDuration = fields[0];
    rows.formerLine = line;
    rows.editRowEnabled = true;
    rows.editConfirmEnabled = true;
}

bool RecordEditor::add(RecordsRows& rows) {
    if (!rows.addConfirmEnabled)
        return false;
    if (m_store.full()) {
        m_dialogs.show(kFullStoreMessage, kAppTitle, DialogButtons::Ok, DialogIcon::Exclamation);
        return false;
    }
    if (verifhor(rows.addDuration, m_dialogs) == 0 || !fieldsAcceptable(rows.addDate, rows.addPlan))
        return false;
    rows.addConfirmEnabled = false;
    m_main.selectPlan(rows.addPlan);
    const std::string line = makeRecordLine(rows.addDuration, rows.addStartTime, rows.addDate, rows.addPlan);
    if (!lineLongEnough(line))
        return false;
    rows.addRowEnabled = false;

    const std::string plan = rows.addPlan;
    const std::string d = rows.addDuration;
    // An add goes by the stored allowance left, not by the main window's allowance test.
    const double prixRead = countIn(rows, plan, d, total(plan, option::kAllowanceLeftKey) != kZero);
    rows.addStartTime.clear();
    rows.addDate.clear();
    rows.addDuration.clear();
    rows.addPlan.clear();
    refreshMainWindow();
    overageCheck(rows, prixRead);
    m_store.append(line, m_pending);
    m_pending.clear();
    return true;
}

bool RecordEditor::modify(RecordsRows& rows) {
    if (!rows.editConfirmEnabled)
        return false;
    // The figures taken back must be those of the record that is replaced.
    if (rows.selected < 0 || rows.selected >= m_store.count() ||
        m_store.lines()[static_cast<std::size_t>(rows.selected)] != rows.formerLine)
        return false;
    if (verifhor(rows.editDuration, m_dialogs) == 0 || !fieldsAcceptable(rows.editDate, rows.editPlan))
        return false;
    m_main.selectPlan(rows.formerPlan);
    const std::string line =
        makeRecordLine(rows.editDuration, rows.editStartTime, rows.editDate, rows.editPlan);
    if (!lineLongEnough(line))
        return false;

    // Take the former record back out of its plan.
    takeBack(rows, rows.formerPlan, rows.formerDuration, true);

    // Count the new one in its plan.
    const std::string plan = rows.editPlan;
    const std::string d = rows.editDuration;
    m_main.selectPlan(plan);
    const double prixRead = countIn(rows, plan, d, allowanceTest());

    refreshMainWindow();
    rows.editRowEnabled = false;
    rows.editConfirmEnabled = false;
    overageCheck(rows, prixRead);
    m_store.replace(rows.selected, line, m_pending);
    m_pending.clear();
    rows.formerLine = line;
    return true;
}

bool RecordEditor::remove(RecordsRows& rows) {
    if (rows.selected < 0 || rows.selected >= m_store.count())
        return false;
    const int position = rows.selected;
    // The figures taken back are the stored record's own, not whatever the open edit row holds.
    auto fields = splitRecordLine(m_store.lines()[static_cast<std::size_t>(position)]);
    if (fields.size() >= 4)
        takeBack(rows, fields[3], fields[0], samePlan(fields[3], m_main.planName()));
    m_store.removeAt(position, m_pending);
    m_pending.clear();
    refreshMainWindow();
    // Nothing is selected afterwards and the edit row is empty and closed, so that a second click
    // (the second half of a double click) removes nothing more.
    rows.selected = -1;
    rows.editDuration.clear();
    rows.editStartTime.clear();
    rows.editDate.clear();
    rows.editPlan.clear();
    rows.editRowEnabled = false;
    rows.editConfirmEnabled = false;
    rows.formerPlan.clear();
    rows.formerDuration.clear();
    rows.formerLine.clear();
    return true;
}

// Counts a record of duration `d` into the totals of `plan`: the month total grows, and the allowance
// left falls while `allowanceMoves`, else the amount due grows. Returns the amount due read before.
double RecordEditor::countIn(RecordsRows& rows, const std::string& plan, const std::string& d,
                             bool allowanceMoves) {
    const std::string avf = total(plan, option::kAllowanceLeftKey);
    const std::string temps = total(plan, option::kMonthTotalKey);
    rows.newMonthTotal = ajoutemps(temps, d);
    setTotal(plan, option::kMonthTotalKey, rows.newMonthTotal);
    if (allowanceMoves) {
        rows.newAllowanceLeft = allowanceLeftAfter(avf, d);
        setTotal(plan, option::kAllowanceLeftKey, rows.newAllowanceLeft);
    }
    const double prixRead = amountDue(plan);
    if (!allowanceMoves)
        setAmountDue(plan, prixRead + connectionPrice(d), true);
    return prixRead;
}

// Takes a record of duration `d` back out of the totals of `plan`: the month total falls, and the
// allowance left grows or, once the allowance is used up, the amount due falls.
void RecordEditor::takeBack(RecordsRows& rows, const std::string& plan, const std::string& d,
                            bool showAmount) {
    const std::string avf = total(plan, option::kAllowanceLeftKey);
    const std::string temps = total(plan, option::kMonthTotalKey);
    rows.newMonthTotal = Enlevetps(temps, d);
    setTotal(plan, option::kMonthTotalKey, rows.newMonthTotal);
    if (allowanceTest()) {
        rows.newAllowanceLeft = ajoutemps(avf, d);
        setTotal(plan, option::kAllowanceLeftKey, rows.newAllowanceLeft);
    } else {
        setAmountDue(plan, amountDue(plan) - connectionPrice(d), showAmount);
    }
}

double RecordEditor::connectionPrice(std::string_view duration) const {
    // The prices the main window shows at this moment.
    return vq::connectionPrice(duration, m_main.firstMinutePrice(), m_main.minutePrice());
}

bool RecordEditor::allowanceTest() const {
    auto hours = allowance(m_main);
    return hours && *hours > 0 && m_main.lcd2() != kZero;
}

void RecordEditor::refreshMainWindow() {
    const std::string plan = m_main.planName();
    m_main.setMonthTotal(total(plan, option::kMonthTotalKey));
    if (allowanceTest())
        m_main.setLcd2(total(plan, option::kAllowanceLeftKey));
}

void RecordEditor::overageCheck(const RecordsRows& rows, double prixRead) {
    // A plan without allowance has nothing to run out: its time is billed as it is added.
    auto hours = allowance(m_main);
    if (!hours || *hours <= 0)
        return;
    if (durationHours(m_main.lcd1()) < *hours || m_main.lcd2() == kZero)
        return;
    const std::string plan = m_main.planName();
    m_main.setLcd2(kZero);
    const std::string excess = Enlevetps(rows.newMonthTotal, hoursDuration(*hours));
    const std::string amount = formatDecimal(prixRead + connectionPrice(excess));
    m_main.setAmountDue(amount);
    setTotal(plan, option::kAmountDueKey, amount);
    setTotal(plan, option::kAllowanceLeftKey, kZero);
}

bool RecordEditor::fieldsAcceptable(const std::string& date, const std::string& plan) {
    const std::optional<Date> d = parseDateText(date);
    if (!d || dateText(*d) != date) {
        m_dialogs.show(kIncompleteRecordMessage, kAppTitle, DialogButtons::Ok, DialogIcon::None);
        return false;
    }
    if (utf8::characterCount(plan) > kMaxPlanNameChars) {
        m_dialogs.show(kPlanNameTooLongMessage, kAppTitle, DialogButtons::Ok, DialogIcon::Exclamation);
        return false;
    }
    return true;
}

bool RecordEditor::lineLongEnough(const std::string& line) {
    if (utf8::characterCount(line) >= kMinRecordLineLength && RecordStore::keepsWhole(line))
        return true;
    m_dialogs.show(kIncompleteRecordMessage, kAppTitle, DialogButtons::Ok, DialogIcon::None);
    return false;
}

std::string RecordEditor::total(const std::string& plan, const char* key) const {
    const std::string section = option::totalsSection(plan);
    // This operation's values, then those the store could not write yet, then the file.
    for (const IniValues* values : {&m_pending, &m_store.unwritten()}) {
        for (auto it = values->rbegin(); it != values->rend(); ++it) {
            if (it->section == section && it->key == key)
                return it->value;
        }
    }
    return lireini(section, key, m_optionPath);
}

void RecordEditor::setTotal(const std::string& plan, const char* key, const std::string& value) {
    m_pending.push_back({option::totalsSection(plan), key, value});
}

double RecordEditor::amountDue(const std::string& plan) const {
    return numberOrZero(total(plan, option::kAmountDueKey));
}

void RecordEditor::setAmountDue(const std::string& plan, double amount, bool show) {
    const std::string text = formatDecimal(amount);
    setTotal(plan, option::kAmountDueKey, text);
    if (show)
        m_main.setAmountDue(text);
}

}  // namespace vq
