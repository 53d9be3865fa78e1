#pragma once
// The printed report of the connections: every record line, then the month total and the amount due
// of each plan of the plan box, laid out in twips, and the port through which it is printed.

#include <optional>
#include <string>
#include <vector>

#include "core/dialogs.h"
#include "plans/main_state.h"
#include "records/record_store.h"

namespace vq {

struct ReportLine {
    int x = 0;         // twips from the left of the printable area
    int y = 0;         // twips from its top to the top of the text
    int fontSize = 0;  // points; 0 is the printer's default font
    std::string text;
    bool operator==(const ReportLine&) const = default;
};

struct ReportLayout {
    ReportLine title;                            // printed first, on the first page
    std::vector<std::vector<ReportLine>> pages;  // the lines of each page, in order
};

struct PlanTotals {
    std::string plan, temps, prix;
};

inline constexpr int kReportLeft = 2250;
inline constexpr int kReportTopMargin = 500;
inline constexpr int kReportLineStep = 300;
inline constexpr int kReportFontSize = 12;

// "Temps Total de <plan> : <temps>       Prix à payer : <prix>€"
std::string planTotalsLine(const PlanTotals& totals);

// Lays the report out: record lines 0 to the last index (the record count when it is readable, a
// trailing index past the list printing as an empty line; the list's own size otherwise, and never
// fewer than the records there are), a new page after items 45, 90, 135, 180 and 225 and whenever a
// line would start below `pageHeightTwips`, then one line per plan with a month total.
ReportLayout layoutReport(const std::vector<std::string>& records, std::optional<long long> recordCount,
                          const std::vector<PlanTotals>& plans, int pageHeightTwips);

// The month totals of the plans listed in the plan box, as stored.
std::vector<PlanTotals> readPlanTotals(const std::vector<std::string>& plans, const std::string& optionPath);

// Prints laid-out pages on whatever the machine offers.
class ReportPrinter {
public:
    enum class Outcome { Printed, SavedToFile, Failed };
    struct Result {
        Outcome outcome = Outcome::Failed;
        std::string detail;  // the file written, or why printing failed
    };
    virtual ~ReportPrinter() = default;
    // Height of the printable area, in twips.
    virtual int pageHeightTwips() = 0;
    virtual Result print(const ReportLayout& layout) = 0;
};

// The print button: asks for confirmation, prints the report and tells the user where it went when
// it was not printed on paper. Returns true when the report was printed or written to a file.
bool printConnections(const MainState& state, const RecordStore& records, Dialogs& dialogs,
                      ReportPrinter& printer);

}  // namespace vq
