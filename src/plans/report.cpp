#include "plans/report.h"

#include <algorithm>

#include "core/ini_store.h"
#include "records/option_file.h"

namespace vq {
namespace {

constexpr const char* kReportTitle = "Varlotte Qyr par Ondine Marsac";

bool fixedBreakAfter(long long item) {
    return item == 45 || item == 90 || item == 135 || item == 180 || item == 225;
}

// Places lines one under the other, starting a new page when told or when a line would not fit.
class PageWriter {
public:
    PageWriter(ReportLayout& layout, int pageHeight) : m_layout(layout), m_pageHeight(pageHeight) {
        m_layout.pages.emplace_back();
    }

    void put(std::string text) {
        if (m_y > 0 && kReportTopMargin + m_y + kReportLineStep > m_pageHeight)
            newPage();
        m_layout.pages.back().push_back(
            ReportLine{kReportLeft, kReportTopMargin + m_y, kReportFontSize, std::move(text)});
        m_y += kReportLineStep;
    }

    // The next line goes to a new page, one step below its top margin.
    void newPage() {
        m_layout.pages.emplace_back();
        m_y = kReportLineStep;
    }

    void dropEmptyLastPage() {
        if (m_layout.pages.size() > 1 && m_layout.pages.back().empty())
            m_layout.pages.pop_back();
    }

private:
    ReportLayout& m_layout;
    int m_pageHeight;
    int m_y = 0;
};

}  // namespace

std::string planTotalsLine(const PlanTotals& t) {
    return "Temps Total de " + t.plan + " : " + t.temps + "       Prix à payer : " + t.prix + "€";
}

ReportLayout layoutReport(const std::vector<std::string>& records, std::optional<long long> recordCount,
                          const std::vector<PlanTotals>& plans, int pageHeightTwips) {
    ReportLayout layout;
    layout.title = ReportLine{0, 0, 0, kReportTitle};

    const long long size = static_cast<long long>(records.size());
    // A stored count is the number of records, and the report prints one index past it; a count
    // that disagrees with the list neither hides records nor adds runs of empty lines.
    long long last = size - 1;
    if (recordCount && *recordCount >= 0)
        last = std::clamp(*recordCount, size - 1, size);

    PageWriter writer(layout, pageHeightTwips);
    for (long long i = 0; i <= last; ++i) {
        writer.put(i < size ? records[static_cast<std::size_t>(i)] : std::string());
        if (fixedBreakAfter(i))
            writer.newPage();
    }
    for (const PlanTotals& t : plans) {
        if (!t.temps.empty())
            writer.put(planTotalsLine(t));
    }
    writer.dropEmptyLastPage();
    return layout;
}

std::vector<PlanTotals> readPlanTotals(const std::vector<std::string>& plans, const std::string& optionPath) {
    std::vector<PlanTotals> result;
    for (const std::string& plan : plans) {
        const std::string section = option::totalsSection(plan);
        result.push_back(PlanTotals{plan, lireini(section, option::kMonthTotalKey, optionPath),
                                    lireini(section, option::kAmountDueKey, optionPath)});
    }
    return result;
}

bool printConnections(const MainState& state, const RecordStore& records, Dialogs& dialogs,
                      ReportPrinter& printer) {
    if (dialogs.show("Etes vous sûr de vouloir imprimer les connexions ?", "Impression", DialogButtons::YesNo,
                     DialogIcon::None) != DialogAnswer::Yes)
        return false;

    const std::optional<long long> count = records.storedCount();
    // The plan in use is reported too when it is a name typed into the plan box rather than one of
    // its listed profiles (where the machine offers no profiles, every plan is such a name).
    std::vector<std::string> plans = state.profiles;
    if (!state.planName.empty() && std::find(plans.begin(), plans.end(), state.planName) == plans.end())
        plans.push_back(state.planName);
    const ReportLayout layout = layoutReport(
        records.lines(), count, readPlanTotals(plans, state.cheminoption), printer.pageHeightTwips());
    const ReportPrinter::Result result = printer.print(layout);
    switch (result.outcome) {
        case ReportPrinter::Outcome::Printed:
            return true;
        case ReportPrinter::Outcome::SavedToFile:
            dialogs.show(
                "Aucune imprimante n'est disponible : les connexions ont été enregistrées dans le fichier " +
                    result.detail,
                "Impression", DialogButtons::Ok, DialogIcon::Information);
            return true;
        case ReportPrinter::Outcome::Failed:
            break;
    }
    std::string text = "L'impression des connexions a échoué.";
    if (!result.detail.empty())
        text += " " + result.detail;
    dialogs.show(text, "Impression", DialogButtons::Ok, DialogIcon::Exclamation);
    return false;
}

}  // namespace vq
