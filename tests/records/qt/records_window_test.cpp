#include "records/qt/records_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "core/ini_store.h"
#include "skins/qt/picture_button.h"
#include "support/engine_fixture.h"

namespace vq {
namespace {

class RecordsWindowTest : public ::testing::Test {
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
    int mainShown = 0;
    std::unique_ptr<RecordsWindow> window;

    void SetUp() override {
        // Two plans as the settings panel saves them (allowance hours, prices), "Maison" shown.
        ecrireini("Forfaits", "Maison", "/1/0,12/0,02/0/0/20/00:00:00/00:00:00", option);
        ecrireini("Forfaits", "Soir", "/1/0,10/0,01/0/0/10/00:00:00/00:00:00", option);
        ecrireini("Typeconex", "Forfait", "Maison", option);
        store.load();
        main.formLoad();
        clock.time = {21, 5, 9};
    }
    void open() {
        store.load();
        window = std::make_unique<RecordsWindow>(store, editor, clock, dialogs, [this] { ++mainShown; });
        window->show();
    }

    QLineEdit* box(const char* name) { return window->findChild<QLineEdit*>(name); }
    PictureButton* button(const char* name) { return window->findChild<PictureButton*>(name); }
    QListWidget* list() { return window->findChild<QListWidget*>("DataGrid1"); }
    QString text(const char* name) { return box(name)->text(); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void clickRecord(int row) {
        QListWidget* l = list();
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    void type(const char* name, const QString& t) {
        box(name)->clear();
        // The test library types ASCII keys only; other letters go in as an input method would.
        for (QChar c : t) {
            if (c.unicode() < 128)
                QTest::keyClick(box(name), c.toLatin1());
            else
                box(name)->insert(c);
        }
    }
    bool rowEnabled(std::initializer_list<const char*> names) {
        bool all = true, any = false;
        for (const char* n : names) {
            all = all && box(n)->isEnabled();
            any = any || box(n)->isEnabled();
        }
        EXPECT_EQ(all, any) << "a row is enabled as a whole";
        return all;
    }
    bool addRowEnabled() { return rowEnabled({"Text4", "Text6", "Text5", "Text10"}); }
    bool editRowEnabled() { return rowEnabled({"Text3", "Text2", "Text9", "Text99"}); }
    std::string line(const char* duration, const char* plan) {
        return duration + test::kSep + "10:00:00" + test::kSep + "01/12/2026" + test::kSep + plan;
    }
};

TEST_F(RecordsWindowTest, StartsWithItsControlsAndBothRowsClosed) {
    open();
    EXPECT_EQ(window->objectName(), "Form2");
    EXPECT_EQ(window->windowTitle(), "Modification");
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(list()->count(), 0);
    // The header and the lines share one font, so the header lines up over the columns.
    EXPECT_EQ(list()->font(), window->findChild<QLabel*>("Label2")->font());

    EXPECT_EQ(window->findChild<QLabel*>("Label2")->text(),
              "   Temps               Départ                 Date                   Connexion ");
    const char* captions[][2] = {{"Label1_0", "Temps passé :"},
                                 {"Label1_1", "Connexion:"},
                                 {"Label1_2", "Heure de départ:"},
                                 {"Label1_3", "Date :"}};
    for (auto& [name, caption] : captions) {
        ASSERT_NE(window->findChild<QLabel*>(name), nullptr) << name;
        EXPECT_EQ(window->findChild<QLabel*>(name)->text(), QString::fromUtf8(caption));
    }
    for (const char* name : {"Text4", "Text6", "Text5", "Text10", "Text3", "Text2", "Text9", "Text99"}) {
        ASSERT_NE(box(name), nullptr) << name;
        EXPECT_TRUE(box(name)->text().isEmpty()) << name;
    }
    EXPECT_FALSE(addRowEnabled());
    EXPECT_FALSE(editRowEnabled());
    EXPECT_FALSE(button("Command3")->isEnabled());
    EXPECT_FALSE(button("Command5")->isEnabled());
    for (const char* name : {"Command2", "Command4", "Command1", "Command6"})
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    EXPECT_EQ(button("Command6")->toolTip(), "Sortir");

    // With nothing selected, opening the edit row or removing does nothing.
    click("Command4");
    EXPECT_FALSE(editRowEnabled());
    EXPECT_FALSE(button("Command5")->isEnabled());
    click("Command1");
    EXPECT_EQ(store.count(), 0);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RecordsWindowTest, AddsARecordThroughTheAddRow) {
    ecrireini("Dernc Maison", "temps", "19:30:00", option);
    ecrireini("Dernc Maison", "avf", "00:30:00", option);
    main.connectClick();
    open();

    click("Command2");
    EXPECT_TRUE(addRowEnabled());
    EXPECT_TRUE(button("Command3")->isEnabled());
    EXPECT_EQ(text("Text4"), "00:00:00");
    EXPECT_EQ(text("Text6"), "21:05:09");
    EXPECT_EQ(text("Text5"), "08/12/2026");
    EXPECT_EQ(text("Text10"), "Maison");

    // Opening it again replaces what was typed with fresh proposals.
    type("Text4", "12:34:56");
    type("Text10", "Autre");
    clock.time = {21, 6, 0};
    click("Command2");
    EXPECT_EQ(text("Text4"), "00:00:00");
    EXPECT_EQ(text("Text6"), "21:06:00");
    EXPECT_EQ(text("Text10"), "Maison");

    type("Text4", "01:00:00");
    click("Command3");
    ASSERT_EQ(list()->count(), 1);
    EXPECT_EQ(list()->item(0)->text().toStdString(),
              "01:00:00" + test::kSep + "21:06:00" + test::kSep + "08/12/2026" + test::kSep + "Maison");
    EXPECT_EQ(store.lines()[0], list()->item(0)->text().toStdString());
    EXPECT_FALSE(addRowEnabled());
    EXPECT_FALSE(button("Command3")->isEnabled());
    for (const char* name : {"Text4", "Text6", "Text5", "Text10"})
        EXPECT_TRUE(box(name)->text().isEmpty()) << name;
    EXPECT_EQ(main.lcd1(), "20:30:00");
    EXPECT_EQ(lireini("Dernc Maison", "avf", option), "00:00:00");
}

TEST_F(RecordsWindowTest, RefusesABadDurationAndAShortLine) {
    open();
    click("Command2");
    type("Text4", "7:20:12");
    click("Command3");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(
        dialogs.shown[0].text,
        "Veuillez remplir correctement les champs de la forme : hh:mm:ss (ex: 23:20:12 pour 23 heures 20 "
        "minutes et 12 secondes)");
    EXPECT_EQ(dialogs.shown[0].title, "Error");
    EXPECT_TRUE(addRowEnabled());
    EXPECT_TRUE(button("Command3")->isEnabled());

    // 59 characters: a six-character start time and a two-letter plan.
    type("Text4", "00:10:00");
    type("Text6", "10h00m");
    type("Text10", "Ré");
    click("Command3");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, "Veuillez complèter correctement les champs");
    EXPECT_EQ(dialogs.shown[1].title, "Varlotte Qyr");
    EXPECT_TRUE(addRowEnabled());
    EXPECT_FALSE(button("Command3")->isEnabled());
    EXPECT_EQ(text("Text10"), "Ré");
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(store.count(), 0);
}

TEST_F(RecordsWindowTest, EditsTheSelectedRecord) {
    ecrireini("Dernc Maison", "temps", "05:00:00", option);
    ecrireini("Dernc Maison", "avf", "15:00:00", option);
    ecrireini("Dernc Soir", "temps", "02:00:00", option);
    ecrireini("Dernc Soir", "avf", "08:00:00", option);
    store.load();
    store.append(line("01:00:00", "Maison"));
    store.append(line("00:20:00", "Soir"));
    store.append("not a record");
    open();
    ASSERT_EQ(list()->count(), 3);

    clickRecord(1);
    EXPECT_EQ(text("Text3"), "00:20:00");
    EXPECT_EQ(text("Text2"), "10:00:00");
    EXPECT_EQ(text("Text9"), "01/12/2026");
    EXPECT_EQ(text("Text99"), "Soir");
    EXPECT_FALSE(editRowEnabled());

    // A line that is not a record leaves the row as it was, and the row cannot open on it.
    clickRecord(2);
    EXPECT_EQ(text("Text99"), "Soir");
    click("Command4");
    EXPECT_FALSE(editRowEnabled());

    clickRecord(0);
    click("Command4");
    EXPECT_TRUE(editRowEnabled());
    EXPECT_TRUE(button("Command5")->isEnabled());
    // Moving to another record with the keyboard while the row is open makes it that record's row.
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(list()->currentRow(), 1);
    EXPECT_EQ(text("Text99"), "Soir");
    type("Text3", "00:50:00");
    type("Text99", "Maison");
    click("Command5");
    EXPECT_EQ(list()->item(1)->text().toStdString(), line("00:50:00", "Maison"));
    EXPECT_FALSE(editRowEnabled());
    EXPECT_FALSE(button("Command5")->isEnabled());
    EXPECT_EQ(lireini("Dernc Soir", "temps", option), "01:40:00");
    EXPECT_EQ(lireini("Dernc Maison", "temps", option), "05:50:00");
    EXPECT_EQ(main.planName(), "Maison");
    EXPECT_EQ(list()->item(0)->text().toStdString(), line("01:00:00", "Maison"));
}

TEST_F(RecordsWindowTest, RemovesTheSelectedRecordAndFollowsOtherChanges) {
    ecrireini("Dernc Maison", "temps", "05:00:00", option);
    ecrireini("Dernc Maison", "avf", "15:00:00", option);
    store.load();
    store.append(line("01:00:00", "Maison"));
    store.append(line("00:30:00", "Soir"));
    store.append(line("00:40:00", "Maison"));
    open();

    // A double click is two clicks: the first removes the record, the second finds nothing selected.
    clickRecord(0);
    click("Command1");
    click("Command1");
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(0)->text().toStdString(), line("00:30:00", "Soir"));
    EXPECT_EQ(list()->currentRow(), -1);
    for (const char* name : {"Text3", "Text2", "Text9", "Text99"})
        EXPECT_EQ(text(name), "") << name;
    EXPECT_EQ(main.lcd1(), "04:00:00");
    EXPECT_EQ(main.lcd2(), "16:00:00");
    clickRecord(1);

    // The counter appends a record while the window is open; the month reset clears a plan.
    store.append(line("00:05:00", "Soir"));
    ASSERT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->item(2)->text().toStdString(), line("00:05:00", "Soir"));
    store.retirer("Soir");
    ASSERT_EQ(list()->count(), 1);
    EXPECT_EQ(list()->item(0)->text().toStdString(), line("00:40:00", "Maison"));
    EXPECT_EQ(text("Text3"), "00:40:00");
    EXPECT_EQ(text("Text99"), "Maison");
}

TEST_F(RecordsWindowTest, ExitHidesAndKeepsEverything) {
    store.load();
    store.append(line("01:00:00", "Maison"));
    open();
    clickRecord(0);
    click("Command2");
    type("Text4", "00:07:00");

    click("Command6");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(mainShown, 1);
    window->show();
    EXPECT_EQ(list()->currentRow(), 0);
    EXPECT_EQ(text("Text4"), "00:07:00");
    EXPECT_EQ(text("Text3"), "01:00:00");

    // Closing it is leaving it the same way.
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(mainShown, 2);
    EXPECT_EQ(list()->count(), 1);
}

TEST_F(RecordsWindowTest, ExportsFromTheListsMenuAndItsShortcuts) {
    store.load();
    store.append(line("01:00:00", "Maison"));
    store.append(line("00:30:00", "Soir"));
    store.append(makeRecordLine("00:20:00", "08:00:00", "30/11/2026", "Maison"));
    open();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QStringList entries;
    for (QAction* a : list()->actions())
        entries << a->text();
    EXPECT_EQ(list()->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_EQ(entries, QStringList({"Exporter en CSV…", "Exporter ce forfait et ce mois en CSV…"}));

    dialogs.saveAs = dir.file("toutes.csv");
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(test::readFile(dialogs.saveAs),
              "Durée (s),Durée,Début,Forfait\r\n3600,01:00:00,2026-12-01T10:00:00,Maison\r\n"
              "1800,00:30:00,2026-12-01T10:00:00,Soir\r\n1200,00:20:00,2026-11-30T08:00:00,Maison\r\n");

    // The selected record's plan and month.
    dialogs.saveAs = dir.file("maison.csv");
    clickRecord(2);
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialogs.proposedNames,
              (std::vector<std::string>{"connexions.csv", "connexions-Maison-2026-11.csv"}));
    EXPECT_EQ(test::readFile(dialogs.saveAs),
              "Durée (s),Durée,Début,Forfait\r\n1200,00:20:00,2026-11-30T08:00:00,Maison\r\n");

    dialogs.saveAs = dir.file("absent/maison.csv");
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Impossible d'écrire le fichier « " + dialogs.saveAs + " ».");
}

TEST_F(RecordsWindowTest, TakesTheSizeOfItsFace) {
    open();
    QPixmap face(300, 200);
    face.fill(Qt::darkGreen);
    window->setFace(face);
    EXPECT_EQ(window->size(), QSize(300, 200));
    window->setFace(QPixmap());
    EXPECT_EQ(window->size(), QSize(300, 200));
}

}  // namespace
}  // namespace vq
