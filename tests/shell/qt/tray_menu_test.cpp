#include "shell/qt/notification_tray.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

#include "core/ini_store.h"
#include "shell/qt/about_window.h"
#include "support/fakes.h"

namespace vq {
namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TrayMenuTest : public ::testing::Test {
protected:
    test::TempDir dir;
    MainState state;
    QWidget mainWindow;
    int shown = 0;
    int ended = 0;
    std::unique_ptr<TrayMenu> tray;

    void SetUp() override {
        state.cheminoption = dir.file("option.ini");
        state.chemintempo = dir.file("tempo.ini");
        tray = std::make_unique<TrayMenu>(state, TrayMenu::Actions{[this] {
                                                                       ++shown;
                                                                       mainWindow.show();
                                                                   },
                                                                   [this] { ++ended; },
                                                                   {},
                                                                   {}});
    }
    QAction* entry(const char* name) { return tray->menu()->findChild<QAction*>(QString::fromUtf8(name)); }
};

TEST_F(TrayMenuTest, MenuOffersItsEntriesWithOpenAsBoldDefault) {
    EXPECT_EQ(tray->objectName(), "Form4");
    EXPECT_EQ(tray->menu()->objectName(), "menu");
    EXPECT_EQ(tray->menu()->title(), "Menu");
    QStringList captions, names;
    for (QAction* a : tray->menu()->actions()) {
        captions << a->text();
        names << a->objectName();
    }
    EXPECT_EQ(captions, (QStringList{"Ouvrir", "Statistiques", "Lancer à l'ouverture de session", "Aide",
                                     "Concepteur", "Quitter"}));
    EXPECT_EQ(names,
              (QStringList{"ouvrir", "statistiques", "ouverturesession", "Aide", "concepteur", "Quitter"}));
    EXPECT_EQ(tray->menu()->defaultAction(), entry("ouvrir"));
    EXPECT_TRUE(entry("ouvrir")->font().bold());
    EXPECT_FALSE(entry("Aide")->font().bold());
    EXPECT_FALSE(tray->isVisible());
}

TEST_F(TrayMenuTest, StartAtLoginEntryWritesAndRemovesTheAutostartEntry) {
    QAction* autostart = entry("ouverturesession");
    EXPECT_FALSE(autostart->isEnabled());  // until the program knows where the entry goes
    const std::string file = dir.file("config/autostart/varlotte-qyr.desktop");
    tray->setAutostart(file, "/opt/Mes programmes/Varlotte");
    ASSERT_TRUE(autostart->isEnabled() && autostart->isCheckable());
    EXPECT_FALSE(autostart->isChecked());
    autostart->trigger();
    EXPECT_TRUE(autostart->isChecked());
    EXPECT_NE(test::readFile(file).find("Exec=\"/opt/Mes programmes/Varlotte\"\n"), std::string::npos);
    autostart->trigger();
    EXPECT_FALSE(autostart->isChecked());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
}

TEST_F(TrayMenuTest, IconPictureFollowsTheStateFromTheSkinFolderOrDrawn) {
    tray->showState(TrayState::Counting);
    const qint64 counting = tray->icon()->icon().cacheKey();
    tray->showState(TrayState::Counting);
    EXPECT_EQ(tray->icon()->icon().cacheKey(), counting);  // not made again
    tray->showState(TrayState::Exceeded);
    const QImage drawn = tray->icon()->icon().pixmap(64, 64).toImage();
    EXPECT_EQ(drawn.pixelColor(40, 47).red(), 215);  // the red badge in the lower right corner

    // A skin's picture is shown for its state; a broken one leaves the drawn picture.
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    ASSERT_TRUE(blue.save(QString::fromStdString(dir.file("Icone-Comptage.PNG")), "png"));
    test::writeFile(dir.file("icone-presque.png"), "not a picture");
    tray->setPictureFolder(dir.path());
    tray->showState(TrayState::Counting);
    EXPECT_EQ(tray->icon()->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(0, 0, 255));
    tray->showState(TrayState::NearlyUsed);
    EXPECT_EQ(tray->icon()->icon().pixmap(64, 64).toImage().pixelColor(40, 47).green(), 150);
}

TEST_F(TrayMenuTest, TipFollowsTheEngineAndHelpOpensTheWebSite) {
    tray->setTip("TT: 12:30:00 | T: 00:00:00 | TR: 07:30:00");
    EXPECT_EQ(tray->icon()->toolTip(), "TT: 12:30:00 | T: 00:00:00 | TR: 07:30:00");

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    entry("Aide")->trigger();
    QDesktopServices::unsetUrlHandler("http");
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].scheme(), "http");
    EXPECT_FALSE(catcher.opened[0].host().isEmpty());
}

TEST_F(TrayMenuTest, AboutBoxLeavesTheMainWindowAloneUntilItsButtonIsPressed) {
    ASSERT_FALSE(mainWindow.isVisible());
    entry("concepteur")->trigger();
    QPointer<AboutBox> box = tray->aboutBox();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(mainWindow.isVisible());
    EXPECT_EQ(shown, 0);

    box->findChild<QPushButton*>("Command1")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(box);  // destroyed, not just hidden
    EXPECT_TRUE(mainWindow.isVisible());

    // The next opening creates a fresh box.
    entry("concepteur")->trigger();
    ASSERT_TRUE(tray->aboutBox());
    EXPECT_TRUE(tray->aboutBox()->isVisible());
}

TEST_F(TrayMenuTest, QuitStoresTheExitStateRemovesTheIconAndEnds) {
    test::writeFile(state.chemintempo, "[plantage]\nouinon=2\n");
    state.planName = "Maison";
    state.etatconnexion = "2";
    tray->showIcon();
    entry("Quitter")->trigger();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(tray->icon()->isVisible());
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "1");
    EXPECT_EQ(lireini("Typeconex", "Forfait", state.cheminoption), "Maison");
}

TEST_F(TrayMenuTest, IconEventsAreIgnoredWhileTheMenuIsOpen) {
    QSystemTrayIcon* icon = tray->icon();
    emit icon->activated(QSystemTrayIcon::Trigger);
    emit icon->activated(QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(shown, 0);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(shown, 1);

    int menusShown = 0;
    QObject::connect(tray->menu(), &QMenu::aboutToShow, [&] {
        ++menusShown;
        // Inside the menu's own event loop: a second right click and a double-click arrive.
        QTimer::singleShot(0, tray.get(), [&] {
            emit icon->activated(QSystemTrayIcon::Context);
            emit icon->activated(QSystemTrayIcon::DoubleClick);
            tray->menu()->close();
        });
    });
    emit icon->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(menusShown, 1);
    EXPECT_EQ(shown, 1);
    // Once the menu has closed the icon answers again.
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(shown, 2);
}

TEST_F(TrayMenuTest, WithoutNotificationAreaReduceMinimisesAndTheTaskListKeepsTheWindow) {
    // The offscreen platform has no notification area.
    ASSERT_FALSE(tray->notificationAreaAvailable());
    mainWindow.show();
    tray->applyTaskListPolicy(&mainWindow);
    EXPECT_FALSE(mainWindow.windowFlags().testFlag(Qt::Tool));
    tray->reduce(&mainWindow);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_TRUE(mainWindow.windowState().testFlag(Qt::WindowMinimized));
}

}  // namespace
}  // namespace vq

#include "tray_menu_test.moc"
