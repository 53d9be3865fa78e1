#pragma once
// The connection records as a CSV file for a spreadsheet (RFC 4180: comma-separated, CRLF line ends,
// UTF-8, a header row): every record, or those of one plan and one calendar month.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dialogs.h"
#include "records/record_store.h"

namespace vq {

inline constexpr const char* kCsvExportTitle = "Exporter en CSV";

struct YearMonth {
    int year = 0;
    int month = 0;
    bool operator==(const YearMonth&) const = default;
};

// Which records go into an export; an empty plan or no month means every plan or every month.
struct CsvSelection {
    std::string plan;
    std::optional<YearMonth> month;
};

// "YYYY-MM" with a month from 01 to 12; nothing for anything else.
std::optional<YearMonth> parseYearMonth(std::string_view text);
// The plan and the month of a record line, for exporting "this plan, this month"; nothing for a line
// with fewer than four fields or a date that cannot be read.
std::optional<CsvSelection> selectionOf(const std::string& line);

// The header row, then one row per selected record in list order, with the columns
// "Durée (s)" (the duration in seconds), "Durée" (as stored), "Début" (ISO 8601 local date and time,
// "2026-12-08T20:13:05"; the stored date and time as they are when they cannot be read) and
// "Forfait". Lines with fewer than four fields are not records and are left out. A record holds no
// price of its own, so there is no price column.
std::string recordsCsv(const std::vector<std::string>& lines, const CsvSelection& selection);

// Writes the export to `path`, replacing the file at once (a reader never sees half of it); false
// when it cannot be written.
bool writeRecordsCsv(const std::vector<std::string>& lines, const CsvSelection& selection,
                     const std::string& path);

// The records window's export: asks where to save, writes, and says so when the file could not be
// written. True when a file was written.
bool exportRecordsCsv(const RecordStore& store, Dialogs& dialogs, const CsvSelection& selection);

}  // namespace vq
