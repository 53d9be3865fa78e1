#include "records/record_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ini_store.h"
#include "support/engine_fixture.h"

namespace vq {
namespace {

class RecordEditorTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string option = dir.file("option.ini");
    test::FakeDialogs dialogs;
    test::FakeClock clock;
    test::ScriptedSource source;
    RecordStore store{option};
    MainState state;
    Engine main{state, Engine::Deps{clock, source, dialogs, store, nullptr, nullptr}, dir.path()};
    RecordEditor editor{store, main, dialogs, option};
    RecordsRows rows;

    void SetUp() override {
        savePlan("Maison", "20", "0,12", "0,02");
        savePlan("Soir", "10", "0,10", "0,01");
        savePlan("Libre", "00", "0,15", "0,03");
        store.load();
        main.formLoad();
    }
    // A plan as the settings panel saves it: allowance hours and prices, nothing due yet.
    void savePlan(const std::string& plan, const std::string& hours, const std::string& firstMinute,
                  const std::string& perMinute) {
        ecrireini("Forfaits", plan,
                  "/1/" + firstMinute + "/" + perMinute + "/0/0/" + hours + "/00:00:00/00:00:00", option);
    }
    // Shows a plan on the main window with its totals as stored now, as its Connect button does.
    void show(const std::string& plan) {
        main.setPlanName(plan);
        main.connectClick();
    }
    void setTotals(const std::string& plan, const std::string& temps, const std::string& avf,
                   const std::string& prix) {
        ecrireini("Dernc " + plan, "temps", temps, option);
        ecrireini("Dernc " + plan, "avf", avf, option);
        ecrireini("Dernc " + plan, "prix", prix, option);
    }
    std::string get(const std::string& plan, const char* key) {
        return lireini("Dernc " + plan, key, option);
    }
    std::string fileKey(int k) { return lireini("Enregistrement", std::to_string(k), option); }

    bool addRecord(const std::string& duration, const std::string& plan) {
        editor.openAddRow(rows, clock);
        rows.addDuration = duration;
        rows.addPlan = plan;
        return editor.add(rows);
    }
    // A stored record, already counted in its plan's totals.
    void storeRecord(const std::string& duration, const std::string& plan) {
        ASSERT_TRUE(store.append(makeRecordLine(duration, "10:00:00", "01/12/2026", plan)));
    }
    void openEditRowOn(int position) {
        editor.select(rows, position);
        editor.openEditRow(rows);
    }
};

TEST_F(RecordEditorTest, AddsRecordsAcrossTheEndOfTheAllowance) {
    setTotals("Maison", "19:30:00", "00:30:00", "0");
    show("Maison");

    editor.openAddRow(rows, clock);
    EXPECT_TRUE(rows.addRowEnabled);
    EXPECT_TRUE(rows.addConfirmEnabled);
    EXPECT_EQ(rows.addDuration, "00:00:00");
    EXPECT_EQ(rows.addStartTime, "12:00:00");
    EXPECT_EQ(rows.addDate, "08/12/2026");
    EXPECT_EQ(rows.addPlan, "Maison");

    rows.addDuration = "01:00:00";
    ASSERT_TRUE(editor.add(rows));
    EXPECT_EQ(get("Maison", "temps"), "20:30:00");
    EXPECT_EQ(main.lcd1(), "20:30:00");
    EXPECT_EQ(main.lcd2(), "00:00:00");
    EXPECT_EQ(get("Maison", "avf"), "00:00:00");
    // 0 + 0,12 + 0,02 x 30 for the half hour beyond the allowance.
    EXPECT_EQ(get("Maison", "prix"), "0,72");
    EXPECT_EQ(state.amountDue, "0,72");
    EXPECT_EQ(store.lines(), std::vector<std::string>{"01:00:00" + test::kSep + "12:00:00" + test::kSep +
                                                      "08/12/2026" + test::kSep + "Maison"});
    EXPECT_EQ(fileKey(1), store.lines()[0]);
    // The add row is emptied and closed.
    EXPECT_FALSE(rows.addRowEnabled);
    EXPECT_FALSE(rows.addConfirmEnabled);
    EXPECT_EQ(rows.addDuration + rows.addStartTime + rows.addDate + rows.addPlan, "");

    // With the allowance used up every added duration is billed whole.
    ASSERT_TRUE(addRecord("00:10:00", "Maison"));
    EXPECT_EQ(get("Maison", "prix"), "1,04");
    EXPECT_EQ(state.amountDue, "1,04");
    EXPECT_EQ(get("Maison", "avf"), "00:00:00");
    EXPECT_EQ(get("Maison", "temps"), "20:40:00");
    EXPECT_EQ(main.lcd1(), "20:40:00");
    EXPECT_EQ(main.lcd2(), "00:00:00");
    EXPECT_EQ(fileKey(2), store.lines()[1]);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RecordEditorTest, AddsWithinTheAllowanceAndToAnotherPlan) {
    setTotals("Maison", "15:00:00", "05:00:00", "0");
    setTotals("Soir", "01:00:00", "09:00:00", "0,5");
    show("Soir");
    ASSERT_TRUE(addRecord("00:10:00", "Maison"));
    EXPECT_EQ(get("Maison", "temps"), "15:10:00");
    EXPECT_EQ(get("Maison", "avf"), "04:50:00");
    EXPECT_EQ(get("Maison", "prix"), "0");
    // The main window now shows the record's plan.
    EXPECT_EQ(main.planName(), "Maison");
    EXPECT_EQ(main.lcd1(), "15:10:00");
    EXPECT_EQ(main.lcd2(), "04:50:00");
    EXPECT_EQ(get("Soir", "temps"), "01:00:00");

    // A plan nobody saved gets its totals under its own name.
    ASSERT_TRUE(addRecord("00:20:00", "Nouveau"));
    EXPECT_EQ(get("Nouveau", "temps"), "00:20:00");
    EXPECT_EQ(main.planName(), "Nouveau");
    EXPECT_EQ(store.count(), 2);
}

TEST_F(RecordEditorTest, AddBillsTheExcessOverThreeDigitHours) {
    savePlan("Gros", "100", "0,12", "0,02");
    setTotals("Gros", "99:00:00", "01:00:00", "0");
    show("Gros");
    ASSERT_TRUE(addRecord("21:30:00", "Gros"));
    EXPECT_EQ(main.lcd1(), "120:30:00");
    EXPECT_EQ(get("Gros", "temps"), "120:30:00");
    EXPECT_EQ(main.lcd2(), "00:00:00");
    EXPECT_EQ(get("Gros", "avf"), "00:00:00");
    // Excess 20:30:00: first minute + 20 x 60 + 30 minutes.
    EXPECT_EQ(get("Gros", "prix"), "24,72");
}

TEST_F(RecordEditorTest, OverrunThatLooksLikeNoAllowanceLeftIsStillBilled) {
    // 05:00:00 - 65:00:00 must not read as an allowance exactly used up.
    setTotals("Maison", "15:00:00", "05:00:00", "0");
    show("Maison");
    ASSERT_TRUE(addRecord("65:00:00", "Maison"));
    EXPECT_EQ(get("Maison", "temps"), "80:00:00");
    EXPECT_EQ(get("Maison", "avf"), "00:00:00");
    EXPECT_EQ(get("Maison", "prix"), "72,12");  // 0,12 + 0,02 x 3600

    // An allowance used up exactly bills nothing.
    setTotals("Soir", "09:00:00", "01:00:00", "0");
    ASSERT_TRUE(addRecord("01:00:00", "Soir"));
    EXPECT_EQ(get("Soir", "avf"), "00:00:00");
    EXPECT_EQ(get("Soir", "prix"), "0");
}

TEST_F(RecordEditorTest, AddRefusesABadDurationOrAShortLine) {
    setTotals("Maison", "10:00:00", "10:00:00", "0");
    show("Soir");
    editor.openAddRow(rows, clock);
    rows.addDuration = "1:00:00";
    EXPECT_FALSE(editor.add(rows));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Error");
    // Nothing else happened: the row stays open, the main window keeps its plan.
    EXPECT_TRUE(rows.addConfirmEnabled);
    EXPECT_EQ(main.planName(), "Soir");

    // A six-character start time and a two-letter plan name with an accent: 59 characters, 60 bytes.
    rows.addDuration = "00:10:00";
    rows.addStartTime = "10h00m";
    rows.addPlan = "Ré";
    EXPECT_FALSE(editor.add(rows));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, "Veuillez complèter correctement les champs");
    EXPECT_EQ(dialogs.shown[1].title, "Varlotte Qyr");
    EXPECT_EQ(dialogs.shown[1].buttons, DialogButtons::Ok);
    // The confirm button is spent, the row stays open, the main window switched, nothing written.
    EXPECT_FALSE(rows.addConfirmEnabled);
    EXPECT_TRUE(rows.addRowEnabled);
    EXPECT_EQ(main.planName(), "Ré");
    EXPECT_EQ(get("Ré", "temps"), "");
    EXPECT_EQ(store.count(), 0);
    EXPECT_FALSE(editor.add(rows));  // a disabled button does nothing
    EXPECT_EQ(dialogs.shown.size(), 2u);

    // An empty plan with a ten-character date is 59 characters too.
    editor.openAddRow(rows, clock);
    rows.addDuration = "00:10:00";
    rows.addPlan = "";
    EXPECT_FALSE(editor.add(rows));
    EXPECT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(store.count(), 0);

    // One character more is enough.
    editor.openAddRow(rows, clock);
    rows.addDuration = "00:10:00";
    rows.addPlan = "é";
    EXPECT_TRUE(editor.add(rows));
    EXPECT_EQ(store.count(), 1);

    // A date that is not a real dd/MM/yyyy one is refused before anything is counted, as a bad
    // duration is; so is a plan name too long for its records to read back whole.
    setTotals("Maison", "10:00:00", "10:00:00", "0");
    for (const char* date : {"31/02/2026", "bonjour", "1/12/2026", "08/12/2026 10:00"}) {
        editor.openAddRow(rows, clock);
        rows.addDuration = "00:10:00";
        rows.addPlan = "Maison";
        rows.addDate = date;
        EXPECT_FALSE(editor.add(rows)) << date;
        EXPECT_EQ(dialogs.shown.back().text, "Veuillez complèter correctement les champs") << date;
        EXPECT_TRUE(rows.addConfirmEnabled) << date;
    }
    editor.openAddRow(rows, clock);
    rows.addDuration = "00:10:00";
    rows.addPlan = std::string(195, 'p');
    EXPECT_FALSE(editor.add(rows));
    EXPECT_EQ(dialogs.shown.back().text, kPlanNameTooLongMessage);
    EXPECT_EQ(get("Maison", "temps"), "10:00:00");
    EXPECT_EQ(get(std::string(195, 'p'), "temps"), "");
    EXPECT_EQ(store.count(), 1);
    // The longest name allowed, even with a three-digit duration, still reads back whole.
    const std::string longest(kMaxPlanNameChars, 'p');
    EXPECT_TRUE(RecordStore::keepsWhole(makeRecordLine("100:00:00", "10:00:00", "01/12/2026", longest)));
    EXPECT_FALSE(
        RecordStore::keepsWhole(makeRecordLine("100:00:00", "10:00:00", "01/12/2026", longest + "p")));
    rows.addPlan = longest;
    EXPECT_TRUE(editor.add(rows));
    store.load();
    ASSERT_EQ(store.count(), 2);
    EXPECT_EQ(splitRecordLine(store.lines()[1]).back(), longest);
}

TEST_F(RecordEditorTest, AFullStoreTakesNoRecordAndKeepsTheTotals) {
    std::string text =
        "[Dernc Maison]\ntemps=05:00:00\navf=15:00:00\nprix=0\n[nbdent]\nn°=32767\n[Enregistrement]\n";
    for (int k = 1; k <= 32767; ++k)
        text += std::to_string(k) + "=" + makeRecordLine("00:01:00", "10:00:00", "01/12/2026", "Soir") + "\n";
    test::writeFile(option, text);
    store.load();
    show("Maison");
    editor.refreshMainWindow();
    editor.openAddRow(rows, clock);
    rows.addDuration = "01:00:00";
    EXPECT_FALSE(editor.add(rows));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kFullStoreMessage);
    EXPECT_EQ(store.count(), 32767);
    EXPECT_EQ(get("Maison", "temps"), "05:00:00");
    EXPECT_EQ(get("Maison", "avf"), "15:00:00");
    EXPECT_EQ(main.lcd1(), "05:00:00");
    EXPECT_EQ(main.lcd2(), "15:00:00");
}

TEST_F(RecordEditorTest, PricesThatAreNotNumbersCountAsZero) {
    savePlan("Vide", "00", "abc", "");
    setTotals("Vide", "01:00:00", "00:00:00", "xyz");
    show("Vide");
    ASSERT_TRUE(addRecord("00:10:00", "Vide"));
    EXPECT_EQ(get("Vide", "prix"), "0");
    EXPECT_EQ(state.amountDue, "0");
    EXPECT_EQ(get("Vide", "temps"), "01:10:00");

    // A point is read as a decimal separator too.
    savePlan("Vide", "00", "0.5", "1");
    show("Vide");
    ASSERT_TRUE(addRecord("01:02:00", "Vide"));
    EXPECT_EQ(get("Vide", "prix"), "62,5");  // 0,5 + 1 x 62
}

TEST_F(RecordEditorTest, ModifiesWithinOnePlan) {
    setTotals("Maison", "05:00:00", "15:00:00", "0");
    storeRecord("01:00:00", "Maison");
    show("Soir");

    openEditRowOn(0);
    EXPECT_TRUE(rows.editRowEnabled);
    EXPECT_TRUE(rows.editConfirmEnabled);
    EXPECT_EQ(rows.formerPlan, "Maison");
    EXPECT_EQ(rows.formerDuration, "01:00:00");
    rows.editDuration = "00:30:00";
    rows.editStartTime = "09:15:00";
    ASSERT_TRUE(editor.modify(rows));

    EXPECT_EQ(get("Maison", "temps"), "04:30:00");
    EXPECT_EQ(get("Maison", "avf"), "15:30:00");
    EXPECT_EQ(get("Maison", "prix"), "0");
    EXPECT_EQ(main.planName(), "Maison");
    EXPECT_EQ(main.lcd1(), "04:30:00");
    EXPECT_EQ(main.lcd2(), "15:30:00");
    const std::string line =
        "00:30:00" + test::kSep + "09:15:00" + test::kSep + "01/12/2026" + test::kSep + "Maison";
    EXPECT_EQ(store.lines(), std::vector<std::string>{line});
    EXPECT_EQ(fileKey(1), line);
    EXPECT_FALSE(rows.editRowEnabled);
    EXPECT_FALSE(rows.editConfirmEnabled);
}

TEST_F(RecordEditorTest, ModifiesAcrossPlans) {
    setTotals("Maison", "05:00:00", "15:00:00", "0");
    setTotals("Soir", "02:00:00", "08:00:00", "0");
    storeRecord("00:20:00", "Soir");
    storeRecord("01:00:00", "Maison");

    openEditRowOn(1);
    rows.editPlan = "Soir";
    ASSERT_TRUE(editor.modify(rows));
    EXPECT_EQ(get("Maison", "temps"), "04:00:00");
    EXPECT_EQ(get("Maison", "avf"), "16:00:00");
    EXPECT_EQ(get("Soir", "temps"), "03:00:00");
    EXPECT_EQ(get("Soir", "avf"), "07:00:00");
    EXPECT_EQ(main.planName(), "Soir");
    EXPECT_EQ(main.lcd1(), "03:00:00");
    EXPECT_EQ(store.lines()[1],
              "01:00:00" + test::kSep + "10:00:00" + test::kSep + "01/12/2026" + test::kSep + "Soir");

    // Into a plan whose allowance is used up, out of one whose allowance is used up: amounts move.
    setTotals("Maison", "21:00:00", "00:00:00", "2");
    setTotals("Soir", "12:00:00", "00:00:00", "1");
    show("Soir");
    openEditRowOn(1);
    rows.editPlan = "Maison";
    rows.editDuration = "00:10:00";
    ASSERT_TRUE(editor.modify(rows));
    EXPECT_EQ(get("Soir", "prix"), "0,3");     // 1 - (0,10 + 0,01 x 60)
    EXPECT_EQ(get("Maison", "prix"), "2,32");  // 2 + 0,12 + 0,02 x 10
    EXPECT_EQ(state.amountDue, get("Maison", "prix"));
    EXPECT_EQ(get("Soir", "temps"), "11:00:00");
    EXPECT_EQ(get("Maison", "temps"), "21:10:00");
    EXPECT_EQ(get("Maison", "avf"), "00:00:00");
}

TEST_F(RecordEditorTest, ModifyOnlyTakesBackTheRecordItReplaces) {
    setTotals("Maison", "05:00:00", "15:00:00", "0");
    setTotals("Soir", "02:00:00", "08:00:00", "0");
    storeRecord("01:00:00", "Maison");
    storeRecord("00:20:00", "Soir");
    ASSERT_TRUE(store.append("malformed line"));

    // No selection: the edit row does not open.
    editor.openEditRow(rows);
    EXPECT_FALSE(rows.editRowEnabled);
    EXPECT_FALSE(editor.modify(rows));

    // Selecting another record while the row is open makes the row stand for that record.
    openEditRowOn(0);
    editor.select(rows, 1);
    EXPECT_EQ(rows.formerPlan, "Soir");
    EXPECT_EQ(rows.formerDuration, "00:20:00");
    EXPECT_EQ(rows.editDuration, "00:20:00");

    // A malformed line leaves the row as it was, and the row cannot replace it.
    editor.select(rows, 2);
    EXPECT_EQ(rows.selected, 2);
    EXPECT_EQ(rows.editPlan, "Soir");
    EXPECT_EQ(rows.formerPlan, "Soir");
    EXPECT_FALSE(editor.modify(rows));
    EXPECT_EQ(store.lines()[2], "malformed line");

    editor.select(rows, 1);
    rows.editDuration = "00:50:00";
    ASSERT_TRUE(editor.modify(rows));
    EXPECT_EQ(get("Soir", "temps"), "02:30:00");
    EXPECT_EQ(get("Soir", "avf"), "07:30:00");
    EXPECT_EQ(get("Maison", "temps"), "05:00:00");
    EXPECT_EQ(store.lines()[0],
              "01:00:00" + test::kSep + "10:00:00" + test::kSep + "01/12/2026" + test::kSep + "Maison");

    // A refused duration keeps the row open and changes nothing.
    openEditRowOn(0);
    rows.editDuration = "00:61:00";
    EXPECT_FALSE(editor.modify(rows));
    EXPECT_TRUE(rows.editConfirmEnabled);
    EXPECT_EQ(get("Maison", "temps"), "05:00:00");
    // A short line switches the main window to the former plan and writes nothing.
    show("Soir");
    rows.editDuration = "00:10:00";
    rows.editPlan = "";
    rows.editStartTime = "10:00";
    EXPECT_FALSE(editor.modify(rows));
    EXPECT_EQ(dialogs.shown.back().text, kIncompleteRecordMessage);
    EXPECT_EQ(main.planName(), "Maison");
    EXPECT_EQ(get("Maison", "temps"), "05:00:00");
    EXPECT_TRUE(rows.editConfirmEnabled);
}

TEST_F(RecordEditorTest, RemovesWithTheShownPlansAllowance) {
    setTotals("Maison", "05:00:00", "15:00:00", "0");
    setTotals("Soir", "12:00:00", "00:00:00", "3");
    storeRecord("01:00:00", "Maison");
    storeRecord("00:30:00", "Maison");
    storeRecord("00:40:00", "Maison");

    // Nothing selected: nothing changes.
    show("Maison");
    EXPECT_FALSE(editor.remove(rows));
    EXPECT_EQ(store.count(), 3);

    editor.select(rows, 0);
    ASSERT_TRUE(editor.remove(rows));
    EXPECT_EQ(get("Maison", "temps"), "04:00:00");
    EXPECT_EQ(get("Maison", "avf"), "16:00:00");
    EXPECT_EQ(main.lcd1(), "04:00:00");
    EXPECT_EQ(main.lcd2(), "16:00:00");
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(fileKey(0), store.lines()[0]);
    // Nothing is selected afterwards, so a second click removes nothing.
    EXPECT_EQ(rows.selected, -1);
    EXPECT_EQ(rows.editDuration, "");
    EXPECT_FALSE(editor.remove(rows));
    EXPECT_EQ(store.count(), 2);
    editor.select(rows, 0);

    // The shown plan's allowance is used up: the record's own plan has its amount lowered, and the
    // main window keeps showing its own plan's amount.
    show("Soir");
    state.amountDue = "3";
    rows.editDuration = "09:00:00";  // typed into the row, not what the record holds
    ASSERT_TRUE(editor.remove(rows));
    // Priced at the shown plan's rates.
    EXPECT_EQ(get("Maison", "prix"), "-0,4");  // -(0,10 + 0,01 x 30)
    EXPECT_EQ(get("Maison", "temps"), "03:30:00");
    EXPECT_EQ(get("Maison", "avf"), "16:00:00");
    EXPECT_EQ(get("Soir", "prix"), "3");
    EXPECT_EQ(state.amountDue, "3");
    EXPECT_EQ(main.planName(), "Soir");
    EXPECT_EQ(main.lcd1(), "12:00:00");

    // Removing the last record leaves no selection.
    editor.select(rows, 0);
    ASSERT_TRUE(editor.remove(rows));
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(rows.selected, -1);
    EXPECT_FALSE(editor.remove(rows));
}

TEST_F(RecordEditorTest, RemovingAMalformedLineTouchesNoTotals) {
    setTotals("Maison", "05:00:00", "15:00:00", "0");
    ASSERT_TRUE(store.append("garbage"));
    show("Maison");
    editor.select(rows, 0);
    ASSERT_TRUE(editor.remove(rows));
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(get("Maison", "temps"), "05:00:00");
    EXPECT_EQ(get("Maison", "avf"), "15:00:00");
}

TEST_F(RecordEditorTest, SelectingFillsTheEditRowFromTheLine) {
    storeRecord("00:42:17", "Soir     |     suite");
    editor.select(rows, 0);
    EXPECT_EQ(rows.editDuration, "00:42:17");
    EXPECT_EQ(rows.editStartTime, "10:00:00");
    EXPECT_EQ(rows.editDate, "01/12/2026");
    EXPECT_EQ(rows.editPlan, "Soir");
    // Closed, the row does not capture former figures.
    EXPECT_EQ(rows.formerPlan, "");
    editor.select(rows, 5);
    EXPECT_EQ(rows.selected, -1);
    EXPECT_EQ(rows.editPlan, "Soir");
}

}  // namespace
}  // namespace vq
