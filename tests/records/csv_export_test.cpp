#include "records/csv_export.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

const std::vector<std::string> kLines = {
    "01:02:03     |     20:13:05     |     08/12/2026     |     Soir, \"été\"",
    "pas un enregistrement",
    "100:00:00     |     09:00:00     |     30/11/2026     |     Maison",
    "1:2:3     |     9h     |     hier     |      Soir, \"été\"",
};

TEST(CsvExport, QuotesWhatNeedsItAndKeepsWhatCannotBeRead) {
    EXPECT_EQ(recordsCsv(kLines, {}),
              "Durée (s),Durée,Début,Forfait\r\n"
              "3723,01:02:03,2026-12-08T20:13:05,\"Soir, \"\"été\"\"\"\r\n"
              "360000,100:00:00,2026-11-30T09:00:00,Maison\r\n"
              ",1:2:3,hier 9h,\"Soir, \"\"été\"\"\"\r\n");
}

TEST(CsvExport, SelectsAPlanAndACalendarMonth) {
    EXPECT_EQ(recordsCsv(kLines, {"Maison", std::nullopt}),
              "Durée (s),Durée,Début,Forfait\r\n360000,100:00:00,2026-11-30T09:00:00,Maison\r\n");
    // The blanks around a plan name are not part of it; a date that cannot be read is in no month.
    const std::string soirDecember =
        "Durée (s),Durée,Début,Forfait\r\n3723,01:02:03,2026-12-08T20:13:05,\"Soir, \"\"été\"\"\"\r\n";
    EXPECT_EQ(recordsCsv(kLines, {"Soir, \"été\" ", YearMonth{2026, 12}}), soirDecember);
    EXPECT_EQ(recordsCsv(kLines, {"", YearMonth{2026, 10}}), "Durée (s),Durée,Début,Forfait\r\n");

    ASSERT_TRUE(selectionOf(kLines[0]));
    EXPECT_EQ(recordsCsv(kLines, *selectionOf(kLines[0])), soirDecember);
    EXPECT_FALSE(selectionOf(kLines[1]));
    EXPECT_FALSE(selectionOf(kLines[3]));

    EXPECT_EQ(parseYearMonth("2026-01"), (YearMonth{2026, 1}));
    for (const char* bad : {"2026-13", "2026-00", "2026-1", "26-01-01", "2026/01", "abcd-01", ""})
        EXPECT_FALSE(parseYearMonth(bad)) << bad;
}

}  // namespace
}  // namespace vq
