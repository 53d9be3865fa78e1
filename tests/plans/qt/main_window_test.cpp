#include "plans/qt/main_window.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QTest>

#include "core/ini_store.h"
#include "plans/qt/on_demand_printer.h"
#include "plans/qt/print/report_printer.h"
#include "skins/qt/picture_button.h"
#include "support/fakes.h"
#include "support/port_fakes.h"

namespace vq {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
        : records(dir.file("option.ini")),
          engine(state, Engine::Deps{clock, source, dialogs, records}, dir.path()),
          plans(state, records, dialogs, clock),
          window(engine, plans, records, dialogs, printer) {
        source.profiles = {"Maison", "Bureau"};
        printer.next = {ReportPrinter::Outcome::Failed, "test"};
        window.formLoad();
    }

    template <typename T>
    T* child(const char* name) {
        T* w = window.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    test::TempDir dir;
    test::FakeClock clock;
    test::FakeDialogs dialogs;
    test::ScriptedSource source;  // offline
    test::FakePrinter printer;
    MainState state;
    RecordStore records;
    Engine engine;
    PlanActions plans;
    MainWindow window;
};

TEST_F(MainWindowTest, KeyFiltersOnTheSettingsBoxes) {
    auto* price = child<QLineEdit>("Text3");
    price->clear();
    QTest::keyClicks(price, "3.");
    EXPECT_EQ(state.firstMinutePrice, "3,");
    QTest::keyClicks(price, "5a-");
    EXPECT_EQ(price->text(), "3,5");
    QTest::keyClick(price, Qt::Key_Backspace);
    EXPECT_EQ(price->text(), "3,5");
    QTest::keyClick(price, Qt::Key_Home);
    QTest::keyClick(price, Qt::Key_Delete);  // Delete has no character and still works
    EXPECT_EQ(price->text(), ",5");
    EXPECT_EQ(state.firstMinutePrice, ",5");

    // A French keyboard types ","; one separator per box, whichever key typed it.
    auto* minute = child<QLineEdit>("Text6");
    minute->clear();
    QTest::keyClicks(minute, "0,0.2,");
    EXPECT_EQ(state.minutePrice, "0,02");
    minute->selectAll();
    QTest::keyClicks(minute, "1.5");
    EXPECT_EQ(minute->text(), "1,5");

    // Tab and Shift+Tab leave every filtered box, as in any form.
    for (const char* name : {"Text3", "Text6", "Text4", "Temps"}) {
        auto* box = child<QLineEdit>(name);
        box->setEnabled(true);
        box->show();
        box->setFocus();
        const QString before = box->text();
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_FALSE(box->hasFocus()) << name << " kept the focus on Tab";
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_FALSE(box->hasFocus()) << name << " kept the focus on Shift+Tab";
        EXPECT_EQ(box->text(), before) << name;
    }

    auto* day = child<QLineEdit>("Text4");
    day->clear();
    QTest::keyClicks(day, "1a5:/");
    QTest::sendKeyEvent(QTest::Click, day, Qt::Key_unknown, QStringLiteral("é"), Qt::NoModifier);
    EXPECT_EQ(day->text(), "15:/");
    QTest::keyClick(day, Qt::Key_Backspace);
    EXPECT_EQ(day->text(), "15:");

    // The day box takes no typing; its list still works.
    auto* check = child<QCheckBox>("Check1");
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    EXPECT_EQ(state.freePeriod, 1);
    auto* weekday = child<QComboBox>("Text5");
    ASSERT_TRUE(weekday->isEnabled());
    EXPECT_FALSE(weekday->isEditable());
    weekday->setFocus();
    QTest::keyClicks(weekday, "xLundi");
    EXPECT_EQ(weekday->currentText(), "");
    QTest::keyClick(weekday, Qt::Key_Down);
    EXPECT_EQ(weekday->currentText(), "Lundi");
    EXPECT_EQ(state.payingDay, "Lundi");
    QTest::keyClick(weekday, Qt::Key_Tab);
    EXPECT_FALSE(weekday->hasFocus());

    // A hand-edited plan record cannot put another text into the day box.
    ASSERT_TRUE(ecrireini("Forfaits", "Maison", "Jour férié/1/0,5/0,02/0/1/20", dir.file("option.ini")));
    engine.setPlanName("Maison");
    window.refresh();
    EXPECT_EQ(weekday->currentText(), "");
    EXPECT_EQ(state.payingDay, "");
    EXPECT_EQ(state.firstMinutePrice, "0,5");
}

TEST_F(MainWindowTest, ControlsButtonsAndTheTwoViews) {
    EXPECT_EQ(window.objectName(), "Form1");
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    const std::pair<const char*, const char*> tips[] = {
        {"Command3", "Options"},
        {"Command2", "Réduire"},
        {"Command5", "Enregistrer ce forfait"},
        {"Command9", "Supprimer les connexions"},
        {"Command8", "Imprimer les connexions"},
        {"Command11", "Modifier les connexions"},
        {"Command12", "Changer de skin"},
        {"Command10", "A propos..."},
        {"Command1", "Quitter"},
        {"Command4", "Quitter"},
    };
    for (auto [name, tip] : tips)
        EXPECT_EQ(child<PictureButton>(name)->toolTip(), QString::fromUtf8(tip)) << name;
    for (int i = 0; i <= 14; ++i)
        EXPECT_NE(window.findChild<QLabel*>(QStringLiteral("Label1_%1").arg(i)), nullptr) << i;
    for (const char* name : {"LCD1", "LCD2", "Durée", "Connection", "Label4", "Label6"})
        child<QLabel>(name);
    EXPECT_FALSE(child<QLineEdit>("Temps")->isVisibleTo(&window));
    EXPECT_FALSE(child<QLineEdit>("Text7")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>("heuredep")->isEnabled());

    // The plan box lists the profiles; the view starts compact.
    auto* planBox = child<QComboBox>("connect");
    ASSERT_EQ(planBox->count(), 2);
    EXPECT_EQ(planBox->itemText(1), "Bureau");
    auto* options = child<PictureButton>("Command3");
    const qint64 compactPicture = child<PictureButton>("Command15")->picture().cacheKey();
    const qint64 optionsPicture = child<PictureButton>("command14")->picture().cacheKey();
    EXPECT_FALSE(window.isOptionsView());
    EXPECT_EQ(options->picture().cacheKey(), compactPicture);
    QTest::mouseClick(options, Qt::LeftButton);
    EXPECT_TRUE(window.isOptionsView());
    EXPECT_EQ(options->picture().cacheKey(), optionsPicture);
    QTest::mouseClick(options, Qt::LeftButton);
    EXPECT_FALSE(window.isOptionsView());
    EXPECT_EQ(options->picture().cacheKey(), compactPicture);
}

TEST_F(MainWindowTest, TypedPlanIsSavedAndShown) {
    auto* planBox = child<QComboBox>("connect");
    planBox->lineEdit()->clear();
    // Emptied, the plan box says what to type in it.
    EXPECT_EQ(planBox->lineEdit()->placeholderText(), "Nom du forfait");
    QTest::keyClicks(planBox->lineEdit(), "Soir");
    EXPECT_EQ(state.planName, "Soir");
    auto* hours = child<QLineEdit>("Temps2");
    hours->clear();
    QTest::keyClicks(hours, "5");
    QTest::mouseClick(child<PictureButton>("Command5"), Qt::LeftButton);

    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, "Les paramètres ont été sauvé");
    EXPECT_EQ(lireini("Forfaits", "Soir", dir.file("option.ini")),
              "/1/0/0//0/05/00:00:00/00:00:00");  // nothing due yet: Text7 is empty on a first start
    EXPECT_EQ(child<QLabel>("LCD2")->text(), "05:00:00");
    EXPECT_EQ(child<QLabel>("LCD1")->text(), "00:00:00");
    EXPECT_EQ(hours->text(), "5");

    // Choosing another plan from the list loads it into the panel.
    planBox->setFocus();
    QTest::keyClick(planBox, Qt::Key_Down);
    EXPECT_EQ(state.planName, planBox->currentText().toStdString());
    EXPECT_NE(state.planName, "Soir");
    EXPECT_EQ(child<QLabel>("LCD2")->text(), "");
}

// Pages written to a PDF file: 100 records give three pages.
TEST(ReportPrinterTest, WritesEveryPageToPdf) {
    test::TempDir dir;
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back(makeRecordLine("00:42:17", "20:13:05", "08/12/2026", "Maison " + std::to_string(i)));
    const ReportLayout layout = layoutReport(lines, 100, {{"Maison", "12:30:00", "3,5"}}, 15800);
    const QString pdf = QString::fromStdString(dir.file("report.pdf"));
    ASSERT_TRUE(QtReportPrinter::renderToPdf(layout, pdf));
    const std::string bytes = test::readFile(pdf.toStdString());
    EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);
    std::size_t pages = 0;
    for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos;
         at = bytes.find("/Type /Page", at + 1))
        if (bytes.compare(at, 12, "/Type /Pages") != 0)
            ++pages;
    EXPECT_EQ(pages, 3u);

    // An unwritable destination is a failure, not a silent success.
    EXPECT_FALSE(
        QtReportPrinter::renderToPdf(layout, QString::fromStdString(dir.file("missing/report.pdf"))));
}

// The program's printer, loaded from its module on the first print; a missing module is a failed print.
TEST(ReportPrinterTest, WithoutAPrinterTheReportGoesToTheDataFolder) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer";
    test::TempDir dir;
    OnDemandPrinter printer({QString::fromStdString(dir.path()), QStringLiteral(VQ_PRINT_MODULE_DIR)},
                            dir.path());
    const ReportLayout layout = layoutReport({"a", "b"}, 2, {}, printer.pageHeightTwips());
    ReportPrinter::Result result = printer.print(layout);
    ASSERT_EQ(result.outcome, ReportPrinter::Outcome::SavedToFile);
    EXPECT_EQ(result.detail.rfind(dir.path(), 0), 0u);
    EXPECT_GT(test::readFile(result.detail).size(), 100u);

    OnDemandPrinter missing({QString::fromStdString(dir.path())}, dir.path());
    EXPECT_EQ(missing.print(layout).outcome, ReportPrinter::Outcome::Failed);
}

}  // namespace
}  // namespace vq
