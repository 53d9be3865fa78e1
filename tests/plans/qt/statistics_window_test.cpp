#include "plans/qt/statistics_window.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "core/ini_store.h"
#include "shell/qt/notification_tray.h"
#include "support/engine_fixture.h"

namespace vq {
namespace {

// A program on a data folder with the plan "Maison" (20 hours, 0,02 € a minute beyond, month from
// the 5th) and its menu, whose "Statistiques" entry opens the window as the program wires it.
class StatisticsWindowTest : public ::testing::Test {
protected:
    void start(bool withPlan) {
        const std::string option = dir.file("option.ini");
        if (withPlan) {
            ecrireini("Forfaits", "Maison", "/5/0,12/0,02/0/0/20/00:00:00/00:00:00", option);
            ecrireini("Dernc Maison", "temps", "03:00:00", option);
            ecrireini("Dernc Maison", "avf", "17:00:00", option);
            ecrireini("Dernc Maison", "prix", "0", option);
            ecrireini("Typeconex", "Forfait", "Maison", option);
        }
        const std::string sep = test::kSep;
        ecrireini("Enregistrement", "1", "01:00:00" + sep + "23:30:00" + sep + "06/12/2026" + sep + "Maison",
                  option);
        ecrireini("Enregistrement", "2", "05:00:00" + sep + "10:00:00" + sep + "06/12/2026" + sep + "Bureau",
                  option);
        ecrireini("Enregistrement", "3", "02:00:00" + sep + "09:00:00" + sep + "08/12/2026" + sep + "Maison",
                  option);
        ecrireini("nbdent", "n°", "3", option);
        program = std::make_unique<test::StartedProgram>(dir.path(), clock, source, dialogs);

        auto* counter = new QLabel(&look);
        counter->setObjectName(QStringLiteral("LCD1"));
        QPalette skin = counter->palette();
        skin.setColor(QPalette::Window, kBackground);
        skin.setColor(QPalette::WindowText, kInk);
        counter->setPalette(skin);
        opener = std::make_unique<StatisticsOpener>(program->state, program->records, clock, &look);
        tray = std::make_unique<TrayMenu>(program->state,
                                          TrayMenu::Actions{{}, {}, {}, [this] { opener->open(); }});
    }
    void openFromMenu() { tray->menu()->findChild<QAction*>(QStringLiteral("statistiques"))->trigger(); }
    QString text(const char* name) { return opener->window()->findChild<QLabel*>(name)->text(); }

    const QColor kBackground{20, 30, 40};
    const QColor kInk{255, 200, 0};
    test::TempDir dir;
    test::FakeClock clock;
    test::FakeDialogs dialogs;
    test::ScriptedSource source;
    QWidget look;
    std::unique_ptr<test::StartedProgram> program;
    std::unique_ptr<StatisticsOpener> opener;
    std::unique_ptr<TrayMenu> tray;
};

TEST_F(StatisticsWindowTest, ShowsThePlansMonthWithTheConnectionBeingCounted) {
    clock.time = {11, 50, 0};
    start(true);
    source.connected = true;
    program->engine.timer2Tick();  // a connection opens under "Maison"
    ASSERT_EQ(opener->window(), nullptr);
    openFromMenu();
    StatisticsWindow* window = opener->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Statistiques");
    EXPECT_EQ(text("heading"), "Forfait « Maison » : mois du 05/12/2026 au 04/01/2027");
    EXPECT_EQ(text("used"), "Temps utilisé : 03:00:00 sur 20:00:00");

    // Ten minutes later the open window has caught up with the counter by itself.
    clock.advance(600);
    program->engine.timer2Tick();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return text("used") == "Temps utilisé : 03:10:00 sur 20:00:00"; }, 5000))
        << text("used").toStdString();
    EXPECT_EQ(text("forecast"), "Prévision fin de mois : 28:02:51, dépassement 08:02:51");
    EXPECT_EQ(text("amounts"), "Hors forfait : 0 € maintenant, 9,64 € prévus en fin de mois");

    // Bars in the skin's counter colours: the 6th and 7th share the connection across midnight, the
    // 8th holds today's; the 5th and the 9th have none.
    MonthChartView* chart = window->chartView();
    const QImage shot = chart->grab().toImage();
    const QRect sixth = chart->barRect(1), seventh = chart->barRect(2), today = chart->barRect(3);
    ASSERT_FALSE(sixth.isEmpty());
    EXPECT_EQ(sixth.height(), seventh.height());
    EXPECT_GT(today.height(), 4 * sixth.height());
    EXPECT_EQ(QColor(shot.pixel(today.center())), kInk);
    EXPECT_NE(QColor(shot.pixel(sixth.center())), kBackground);
    EXPECT_NE(QColor(shot.pixel(seventh.center())), kBackground);
    const int step = seventh.x() - sixth.x();
    const int y = today.bottom() - 3;
    EXPECT_EQ(QColor(shot.pixel(sixth.center().x() - step, y)), kBackground);
    EXPECT_EQ(QColor(shot.pixel(today.center().x() + step, y)), kBackground);
    if (qEnvironmentVariableIsSet("VQ_STATISTICS_PICTURE"))
        window->grab().save(qEnvironmentVariable("VQ_STATISTICS_PICTURE"));

    // A second opening raises the same window.
    openFromMenu();
    EXPECT_EQ(opener->window(), window);
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows += w->objectName() == "Statistiques";
    EXPECT_EQ(windows, 1);
}

TEST_F(StatisticsWindowTest, SaysSoInsteadOfDrawingWhenThereIsNothingToShow) {
    start(false);
    openFromMenu();
    EXPECT_EQ(text("heading"), "Aucun forfait en cours");
    EXPECT_FALSE(opener->window()->chartView()->isVisible());
    EXPECT_TRUE(opener->window()->findChild<QLabel*>("message")->isVisible());

    // A plan whose month holds no connection yet: the records are of the month before.
    clock.date = {2027, 1, 10};
    ecrireini("Forfaits", "Maison", "/5/0/0/0/0/20/00:00:00/00:00:00", dir.file("option.ini"));
    ecrireini("Dernc Maison", "temps", "00:00:00", dir.file("option.ini"));
    ecrireini("Dernc Maison", "avf", "20:00:00", dir.file("option.ini"));
    program->engine.setPlanName("Maison");
    opener->window()->refresh();
    EXPECT_EQ(text("message"),
              "Aucune connexion n'est enregistrée pour ce forfait du 05/01/2027 au 04/02/2027.");
    EXPECT_FALSE(opener->window()->chartView()->isVisible());
}

}  // namespace
}  // namespace vq
