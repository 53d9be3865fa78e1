#include "plans/report.h"

#include <gtest/gtest.h>

#include "core/ini_store.h"
#include "support/fakes.h"
#include "support/port_fakes.h"

namespace vq {
namespace {

constexpr int kA4Height = 16000;  // printable height of an A4 page, in twips

std::vector<std::string> recordLines(int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i)
        lines.push_back(makeRecordLine("00:01:00", "10:00:00", "01/12/2026", "P" + std::to_string(i)));
    return lines;
}

TEST(Report, ThreeRecordsPrintItemsZeroToCountThenPlanLines) {
    const auto records = recordLines(3);
    const std::vector<PlanTotals> plans = {
        {"Maison", "12:30:00", "3,5"}, {"Bureau", "", "1"}, {"Soir", "01:00:00", ""}};
    ReportLayout layout = layoutReport(records, 3, plans, kA4Height);

    EXPECT_EQ(layout.title.text, "Varlotte Qyr par Ondine Marsac");
    ASSERT_EQ(layout.pages.size(), 1u);
    const std::vector<ReportLine> expected = {
        {2250, 500, 12, records[0]},
        {2250, 800, 12, records[1]},
        {2250, 1100, 12, records[2]},
        {2250, 1400, 12, ""},
        {2250, 1700, 12, "Temps Total de Maison : 12:30:00       Prix à payer : 3,5€"},
        {2250, 2000, 12, "Temps Total de Soir : 01:00:00       Prix à payer : €"},
    };
    EXPECT_EQ(layout.pages[0], expected);
}

TEST(Report, HundredRecordsBreakAfterItems45And90) {
    const auto records = recordLines(100);
    ReportLayout layout = layoutReport(records, 100, {{"Maison", "12:30:00", "3,5"}}, kA4Height);
    ASSERT_EQ(layout.pages.size(), 3u);
    ASSERT_EQ(layout.pages[0].size(), 46u);  // items 0 to 45
    EXPECT_EQ(layout.pages[0].back().text, records[45]);
    EXPECT_EQ(layout.pages[0].back().y, 500 + 45 * 300);
    ASSERT_EQ(layout.pages[1].size(), 45u);  // items 46 to 90
    EXPECT_EQ(layout.pages[1].front(), (ReportLine{2250, 800, 12, records[46]}));
    EXPECT_EQ(layout.pages[1].back().text, records[90]);
    ASSERT_EQ(layout.pages[2].size(), 11u);  // items 91 to 100 and the plan line
    EXPECT_EQ(layout.pages[2].front(), (ReportLine{2250, 800, 12, records[91]}));
    EXPECT_EQ(layout.pages[2][8].text, records[99]);
    EXPECT_EQ(layout.pages[2][9].text, "");
    EXPECT_EQ(
        layout.pages[2][10],
        (ReportLine{2250, 800 + 10 * 300, 12, "Temps Total de Maison : 12:30:00       Prix à payer : 3,5€"}));
}

TEST(Report, EveryRecordIsPrintedInsideThePageWhateverTheirNumber) {
    const int n = 1000;
    const auto records = recordLines(n);
    ReportLayout layout = layoutReport(records, n, {}, kA4Height);
    std::size_t printed = 0;
    for (const auto& page : layout.pages) {
        ASSERT_FALSE(page.empty());
        for (const ReportLine& line : page) {
            EXPECT_LE(line.y + 300, kA4Height);
            EXPECT_GE(line.y, 500);
            if (printed < records.size()) {
                EXPECT_EQ(line.text, records[printed]);
            }
            ++printed;
        }
    }
    EXPECT_EQ(printed, static_cast<std::size_t>(n + 1));
    // The fixed breaks still hold: item 226 opens the sixth page.
    EXPECT_EQ(layout.pages[5].front().text, records[226]);

    // A short page breaks early too.
    ReportLayout small = layoutReport(recordLines(10), 10, {}, 2000);
    for (const auto& page : small.pages)
        for (const ReportLine& line : page)
            EXPECT_LE(line.y + 300, 2000);
    EXPECT_GT(small.pages.size(), 1u);
}

TEST(Report, CountsThatDisagreeWithTheList) {
    const auto records = recordLines(3);
    // No count stored: the records there are, no trailing empty line.
    ReportLayout none = layoutReport(records, std::nullopt, {}, kA4Height);
    ASSERT_EQ(none.pages.size(), 1u);
    EXPECT_EQ(none.pages[0].size(), 3u);
    // A count too small still prints every record; a huge one adds no empty pages.
    EXPECT_EQ(layoutReport(records, 1, {}, kA4Height).pages[0].size(), 3u);
    ReportLayout huge = layoutReport(records, 30000, {}, kA4Height);
    ASSERT_EQ(huge.pages.size(), 1u);
    EXPECT_EQ(huge.pages[0].size(), 4u);
    // Nothing at all: the title alone.
    ReportLayout empty = layoutReport({}, std::nullopt, {}, kA4Height);
    ASSERT_EQ(empty.pages.size(), 1u);
    EXPECT_TRUE(empty.pages[0].empty());
}

TEST(Report, PrintButtonAsksReadsTheStoreAndReportsWhereThePagesWent) {
    test::TempDir dir;
    MainState state;
    state.cheminoption = dir.file("option.ini");
    state.profiles = {"Maison", "Bureau"};
    RecordStore store(state.cheminoption);
    ASSERT_TRUE(store.append(makeRecordLine("00:42:17", "20:13:05", "08/12/2026", "Maison")));
    ASSERT_TRUE(ecrireini("Dernc Maison", "temps", "12:30:00", state.cheminoption));
    ASSERT_TRUE(ecrireini("Dernc Maison", "prix", "3,5", state.cheminoption));
    test::FakeDialogs dialogs;
    test::FakePrinter printer;

    dialogs.answers = {DialogAnswer::No};
    EXPECT_FALSE(printConnections(state, store, dialogs, printer));
    EXPECT_TRUE(printer.printed.empty());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Etes vous sûr de vouloir imprimer les connexions ?");
    EXPECT_EQ(dialogs.shown[0].title, "Impression");

    EXPECT_TRUE(printConnections(state, store, dialogs, printer));
    ASSERT_EQ(printer.printed.size(), 1u);
    const auto& page = printer.printed[0].pages.at(0);
    ASSERT_EQ(page.size(), 3u);  // the record, index 1 (empty), one plan line
    EXPECT_EQ(page[0].text, store.lines()[0]);
    EXPECT_EQ(page[1].text, "");
    EXPECT_EQ(page[2].text, "Temps Total de Maison : 12:30:00       Prix à payer : 3,5€");
    EXPECT_EQ(dialogs.shown.size(), 2u);  // printed on paper: nothing more to say

    // A plan typed into the plan box, not one of its profiles, gets its line too.
    state.planName = "Soir";
    ASSERT_TRUE(ecrireini("Dernc Soir", "temps", "01:00:00", state.cheminoption));
    ASSERT_TRUE(printConnections(state, store, dialogs, printer));
    EXPECT_EQ(printer.printed.back().pages.at(0).back().text,
              "Temps Total de Soir : 01:00:00       Prix à payer : €");

    printer.next = {ReportPrinter::Outcome::SavedToFile, "/data/connexions.pdf"};
    EXPECT_TRUE(printConnections(state, store, dialogs, printer));
    EXPECT_NE(dialogs.shown.back().text.find("/data/connexions.pdf"), std::string::npos);

    printer.next = {ReportPrinter::Outcome::Failed, ""};
    EXPECT_FALSE(printConnections(state, store, dialogs, printer));
    EXPECT_NE(dialogs.shown.back().text.find("échoué"), std::string::npos);
}

}  // namespace
}  // namespace vq
