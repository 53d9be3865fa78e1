#include "records/csv_export.h"

#include <charconv>

#include "core/dates.h"
#include "core/duration.h"
#include "core/ini_fs.h"
#include "core/ini_text.h"

namespace vq {
namespace {

constexpr const char* kCrLf = "\r\n";

// A field as RFC 4180 writes it: quoted when it holds a comma, a quotation mark or a line break,
// its quotation marks doubled.
void appendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(field);
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

int twoDigits(std::string_view s) {
    if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9')
        return -1;
    return (s[0] - '0') * 10 + (s[1] - '0');
}

std::string pad(int n, std::size_t width) {
    std::string s = std::to_string(n);
    return std::string(s.size() < width ? width - s.size() : 0, '0') + s;
}

std::string isoStart(const std::string& date, const std::string& time) {
    std::optional<Date> d = parseDateText(date);
    std::optional<TimeOfDay> t = parseTimeText(time);
    if (!d || !t)
        return time.empty() ? date : date + " " + time;
    return pad(d->year, 4) + "-" + pad(d->month, 2) + "-" + pad(d->day, 2) + "T" + timeText(*t);
}

bool selected(const std::vector<std::string>& fields, const CsvSelection& selection) {
    if (!selection.plan.empty() && !samePlan(fields[3], selection.plan))
        return false;
    if (!selection.month)
        return true;
    std::optional<Date> d = parseDateText(fields[2]);
    return d && d->year == selection.month->year && d->month == selection.month->month;
}

}  // namespace

std::optional<YearMonth> parseYearMonth(std::string_view text) {
    if (text.size() != 7 || text[4] != '-')
        return std::nullopt;
    int year = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + 4, year);
    const int month = twoDigits(text.substr(5, 2));
    if (ec != std::errc() || end != text.data() + 4 || month < 1 || month > 12)
        return std::nullopt;
    return YearMonth{year, month};
}

std::optional<CsvSelection> selectionOf(const std::string& line) {
    std::vector<std::string> fields = splitRecordLine(line);
    if (fields.size() < 4)
        return std::nullopt;
    std::optional<Date> d = parseDateText(fields[2]);
    if (!d)
        return std::nullopt;
    return CsvSelection{std::string(ini::trimBlanks(fields[3])), YearMonth{d->year, d->month}};
}

std::string recordsCsv(const std::vector<std::string>& lines, const CsvSelection& selection) {
    std::string out = "Durée (s),Durée,Début,Forfait";
    out += kCrLf;
    for (const std::string& line : lines) {
        std::vector<std::string> fields = splitRecordLine(line);
        if (fields.size() < 4 || !selected(fields, selection))
            continue;
        std::optional<std::int64_t> seconds = durationSeconds(fields[0]);
        appendField(out, seconds ? std::to_string(*seconds) : std::string());
        out += ',';
        appendField(out, fields[0]);
        out += ',';
        appendField(out, isoStart(fields[2], fields[1]));
        out += ',';
        appendField(out, ini::trimBlanks(fields[3]));
        out += kCrLf;
    }
    return out;
}

bool writeRecordsCsv(const std::vector<std::string>& lines, const CsvSelection& selection,
                     const std::string& path) {
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.rfind('/');
#endif
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return false;
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return ini::replaceFile(dir, name, recordsCsv(lines, selection), false);
}

bool exportRecordsCsv(const RecordStore& store, Dialogs& dialogs, const CsvSelection& selection) {
    std::string suggested = "connexions";
    if (!selection.plan.empty())
        suggested += "-" + selection.plan;
    for (char& c : suggested) {
        if (c == '/' || c == '\\')
            c = '-';
    }
    if (selection.month)
        suggested += "-" + pad(selection.month->year, 4) + "-" + pad(selection.month->month, 2);
    std::optional<std::string> path = dialogs.askSaveFileName(kCsvExportTitle, suggested + ".csv");
    if (!path || path->empty())
        return false;
    if (writeRecordsCsv(store.lines(), selection, *path))
        return true;
    dialogs.show("Impossible d'écrire le fichier « " + *path + " ».", kCsvExportTitle, DialogButtons::Ok,
                 DialogIcon::Stop);
    return false;
}

}  // namespace vq
