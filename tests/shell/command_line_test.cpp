#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/fakes.h"

namespace vq {
namespace {

class CommandLineTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::FakeClock clock;
    std::ostringstream out, err;

    void SetUp() override {
        clock.date = {2026, 12, 11};
        clock.time = {0, 0, 0};
        test::writeFile(dir.file("option.ini"),
                        "[Typeconex]\nForfait=Soir \"été\"\n"
                        "[Forfaits]\nSoir \"été\"=/1/0,12/0,02/0/0/20/00:00:00/00:00:00\n"
                        "[Dernc Soir \"été\"]\ntemps=10:00:00\navf=10:00:00\nprix=0\n");
    }
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return runCommandLine(parseCommandLine(args), dir.path(), clock, out, err);
    }
};

TEST_F(CommandLineTest, StatusAsTextAndJsonWithTheConnectionBeingCounted) {
    ASSERT_EQ(run({"--status"}), kExitDone);
    EXPECT_EQ(out.str(),
              "Forfait : Soir \"été\"\n"
              "Mois du forfait : du 01/12/2026 au 31/12/2026\n"
              "Temps utilisé : 10:00:00\n"
              "Temps restant : 10:00:00 sur 20:00:00\n"
              "Hors forfait : 0 €\n"
              "Connexion en cours : non\n"
              "Prévision fin de mois : 31:00:00, dépassement 11:00:00, 13,2 €\n");

    // A counting copy keeps the figures of the open connection in the state file.
    test::writeFile(dir.file("tempo.ini"),
                    "[plantage]\nouinon=2\ntempstotal=20:30:00\ntempsrestant=00:00:00\nprix=0,72\n");
    ASSERT_EQ(run({"--status", "--json"}), kExitDone);
    EXPECT_EQ(
        out.str(),
        "{\"plan\": \"Soir \\\"été\\\"\", \"month_start\": \"2026-12-01\", \"month_end\": \"2026-12-31\", "
        "\"counting\": true, \"used_seconds\": 73800, \"allowance_seconds\": 72000, "
        "\"allowance_left_seconds\": 0, \"amount_due\": 0.72, \"projection\": {\"used_seconds\": 228780, "
        "\"overrun_seconds\": 156780, \"amount_due\": 52.38}}\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(CommandLineTest, RefusesBadArguments) {
    EXPECT_FALSE(wantsCommandLine({}));
    EXPECT_FALSE(wantsCommandLine({"-platform", "offscreen", "-session", "x"}));
    EXPECT_TRUE(wantsCommandLine({"-session", "x", "--statu"}));
    EXPECT_TRUE(wantsCommandLine({"-h"}));
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--statu"},
                                               {"--json"},
                                               {"--status", "--export-csv", "a.csv"},
                                               {"--export-csv"},
                                               {"--export-csv", "a.csv", "--month", "2026-13"},
                                               {"--status", "--month", "2026-12"},
                                               {"--export-csv", "a.csv", "--json"},
                                               {"--status", "--plan"},
                                               {"--status", "extra"}}) {
        EXPECT_EQ(run(args), kExitUsage) << args[0];
        EXPECT_EQ(err.str().rfind("Varlotte : ", 0), 0u) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(run({"--status", "--help"}), kExitDone);
    EXPECT_EQ(out.str(), commandLineHelp());
    EXPECT_EQ(run({"--status", "--plan", "Inconnu"}), kExitFailed);
    EXPECT_EQ(err.str(), "Varlotte : forfait « Inconnu » inconnu (dans " + dir.path() + ").\n");
    EXPECT_EQ(run({"--export-csv", dir.file("absent/out.csv")}), kExitFailed);
    EXPECT_NE(err.str().find("absent/out.csv"), std::string::npos);
}

}  // namespace
}  // namespace vq
