#include "shell/exits.h"

#include <gtest/gtest.h>

#include "core/ini_store.h"
#include "support/fakes.h"

namespace vq {
namespace {

// The exit state of a program whose files are in a fresh folder.
class ExitsTest : public ::testing::Test {
protected:
    ExitsTest() {
        state.cheminoption = dir.file("option.ini");
        state.chemintempo = dir.file("tempo.ini");
    }
    test::TempDir dir;
    MainState state;
};

TEST_F(ExitsTest, QuittingWhileCountingDropsTheOpenConnectionAndKeepsThePlan) {
    test::writeFile(state.chemintempo, "[plantage]\nouinon=2\ntempspassé=00:10:00\ntempstotal=05:10:00\n");
    test::writeFile(state.cheminoption, "[Typeconex]\nForfait=Maison\nVersion=323\n");
    state.planName = "Soir d'été";
    state.etatconnexion = "2";

    EXPECT_TRUE(writeExitState(state));

    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "1");
    EXPECT_EQ(lireini("Typeconex", "Forfait", state.cheminoption), "Soir d'été");
    // Nothing else is touched: the crash figures stay (ignored) and the version is kept.
    EXPECT_EQ(lireini("plantage", "tempspassé", state.chemintempo), "00:10:00");
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
}

TEST_F(ExitsTest, CreatesMissingFilesAndReportsAFailedWriteAfterTryingBoth) {
    state.planName = "Maison";
    EXPECT_TRUE(writeExitState(state));
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "1");
    EXPECT_EQ(lireini("Typeconex", "Forfait", state.cheminoption), "Maison");

    // A plan name that cannot be stored fails that write, but the flag is still cleared.
    test::writeFile(state.chemintempo, "[plantage]\nouinon=2\n");
    state.planName = "two\nlines";
    EXPECT_FALSE(writeExitState(state));
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "1");
    EXPECT_EQ(lireini("Typeconex", "Forfait", state.cheminoption), "Maison");
}

TEST_F(ExitsTest, AnEndedConnectionNotYetStoredIsLeftForTheNextStart) {
    const std::string tempo = "[plantage]\nouinon=2\ntempspassé=00:10:00\nheuredep=20:00:00\n";
    const std::string option = "[Typeconex]\nForfait=Maison\n";
    test::writeFile(state.chemintempo, tempo);
    test::writeFile(state.cheminoption, option);
    state.planName = "Soir";

    EXPECT_FALSE(writeExitState(state, true));

    // The state file still says a connection is to be stored, under the plan it was counted for.
    EXPECT_EQ(test::readFile(state.chemintempo), tempo);
    EXPECT_EQ(test::readFile(state.cheminoption), option);
}

}  // namespace
}  // namespace vq
