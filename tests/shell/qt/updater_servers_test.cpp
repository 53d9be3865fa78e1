// The update check and the update window against real HTTP and FTP servers on loopback.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QThread>
#include <QTimer>
#include <filesystem>

#include "core/ini_store.h"
#include "shell/curl_transfer.h"
#include "shell/sha256.h"
#include "shell/update_check_qt.h"
#include "support/fakes.h"

namespace vq {
namespace {

// Next to this folder in the source tree.
const QString kServers = QString::fromStdString(
    (std::filesystem::path(__FILE__).parent_path().parent_path() / "servers" / "loopback_servers.py")
        .string());

class RecordingStarter final : public Launcher {
public:
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    bool start(const std::string& program, const std::vector<std::string>& arguments) override {
        started.emplace_back(program, arguments);
        return true;
    }
};

// One pair of servers for every test of the suite; each test writes the files it needs.
class LoopbackServers {
public:
    test::TempDir web, ftp;
    int httpPort = 0, ftpPort = 0;
    QProcess process;

    bool start() {
        const QString ports = QString::fromStdString(web.file("ports"));
        process.start("/usr/bin/python3",
                      {kServers, QString::fromStdString(web.path()), QString::fromStdString(ftp.path()),
                       "varlotteqyr", "37084216", ports});
        if (!process.waitForStarted(5000)) {
            return false;
        }
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(ports)) {
            if (waited.elapsed() > 20000 || process.state() == QProcess::NotRunning) {
                return false;
            }
            QThread::msleep(20);
        }
        QFile file(ports);
        if (!file.open(QIODevice::ReadOnly)) {
            return false;
        }
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> words = line.trimmed().split(' ');
            if (words.size() == 2 && words[0] == "http") {
                httpPort = words[1].toInt();
            } else if (words.size() == 2 && words[0] == "ftp") {
                ftpPort = words[1].toInt();
            }
        }
        return httpPort > 0 && ftpPort > 0;
    }
    ~LoopbackServers() {
        process.closeWriteChannel();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
};

class UpdaterServers : public ::testing::Test {
protected:
    static inline LoopbackServers* servers = nullptr;
    static void SetUpTestSuite() {
        servers = new LoopbackServers;
        if (!servers->start()) {
            ADD_FAILURE() << "servers: " << servers->process.readAllStandardError().toStdString()
                          << servers->process.errorString().toStdString() << " state "
                          << servers->process.state() << " out "
                          << servers->process.readAllStandardOutput().toStdString() << " ports "
                          << servers->httpPort << " " << servers->ftpPort;
            delete servers;
            servers = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete servers;
        servers = nullptr;
    }

    test::TempDir program, data;
    MainState state;
    test::FakeDialogs dialogs;
    RecordingStarter starter;
    CurlTransfer transfer;
    std::unique_ptr<Updater> updater;
    std::unique_ptr<QtUpdateCheck> check;
    int ended = 0;
    const std::string executable = std::string(
                                       "\x7f"
                                       "ELF") +
                                   std::string(300000, 'v') + "new build";

    void SetUp() override {
        ASSERT_NE(servers, nullptr) << "could not start " << kServers.toStdString()
                                    << " under /usr/bin/python3 (pyftpdlib)";
        state.cheminoption = data.file("option.ini");
        state.chemintempo = data.file("tempo.ini");
        state.versioninstallee = 323;
        state.etatconnexion = "2";
        test::writeFile(state.cheminoption, "[Typeconex]\nVersion=323\nForfait=Maison\n");
        test::writeFile(state.chemintempo, "[plantage]\nouinon=2\n");
        test::writeFile(servers->ftp.file("Varlotte"), executable);
        publish("324\n" + sha256Hex(executable) + "  Varlotte\n");
        useWebBase("http://127.0.0.1:" + std::to_string(servers->httpPort));
    }
    void useWebBase(const std::string& web) {
        check.reset();
        updater = std::make_unique<Updater>(
            transfer,
            UpdateAddresses{web, "ftp://127.0.0.1:" + std::to_string(servers->ftpPort), "varlotteqyr",
                            "37084216"},
            program.path(), data.path());
        check = std::make_unique<QtUpdateCheck>(
            UpdateWindow::Deps{*updater, state, dialogs, starter, [this] { ++ended; }});
    }
    void publish(const std::string& versionFile) {
        test::writeFile(servers->web.file("maj.txt"), versionFile);
    }

    // Runs a check the way the engine does and waits for its answer.
    bool checkOffers(int installed) {
        QSignalSpy spy(check.get(), &QtUpdateCheck::checked);
        check->connectionOpened(installed);
        EXPECT_TRUE(spy.wait(10000));
        return !spy.isEmpty() && spy.first().first().toBool();
    }
    QString text(const char* name) { return check->window()->findChild<QLabel*>(name)->text(); }
    void press(const char* name) { check->window()->findChild<QPushButton*>(name)->click(); }
    bool runUpdate() {
        QSignalSpy done(check->window(), &UpdateWindow::updateFinished);
        press("Command1");
        EXPECT_TRUE(done.wait(20000));
        return !done.isEmpty() && done.first().first().toBool();
    }
    std::vector<std::string> boxes() const {
        std::vector<std::string> texts;
        for (const auto& shown : dialogs.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }
};

TEST_F(UpdaterServers, ANewerVersionIsOfferedDownloadedVerifiedAndHandedToTheInstaller) {
    ASSERT_TRUE(checkOffers(323));
    UpdateWindow* window = check->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName(), "Form5");
    EXPECT_EQ(window->windowTitle(), "Mise à jour");
    EXPECT_EQ(text("Label1"), "Une mise à jour est disponible :");
    EXPECT_TRUE(window->findChild<QLabel*>("Label1")->font().bold());
    EXPECT_EQ(text("Label2"), "324");
    EXPECT_EQ(text("etat"), "En attente...");
    EXPECT_EQ(state.fetchedVersion, "324");

    ASSERT_TRUE(runUpdate());
    EXPECT_EQ(boxes(), std::vector<std::string>{"Transfert : OK"});
    EXPECT_EQ(text("Label3"), "Veuillez patientez, la mise à jour est en train de s'effectuer...");
    EXPECT_EQ(text("etat"), "La déconnexion avec l'ordinateur hôte est réussie.");
    // The download waits in the data folder, whole, for the installer started from the program folder.
    EXPECT_EQ(test::readFile(updater->downloadedPath()), executable);
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].first, program.file("mj"));
    EXPECT_EQ(starter.started[0].second[2], updater->downloadedPath());
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "324");
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "3");
    EXPECT_EQ(ended, 1);
}

TEST_F(UpdaterServers, NoWindowForAnEqualVersionAnEmptyFileOrChecksSwitchedOff) {
    publish("323\n" + sha256Hex(executable) + "\n");
    EXPECT_FALSE(checkOffers(323));
    publish("");
    EXPECT_FALSE(checkOffers(323));
    std::filesystem::remove(servers->web.file("maj.txt"));  // 404
    EXPECT_FALSE(checkOffers(323));
    EXPECT_EQ(check->window(), nullptr);

    // "Version" 0: no request at all.
    publish("324\n");
    QSignalSpy spy(check.get(), &QtUpdateCheck::checked);
    check->connectionOpened(0);
    EXPECT_FALSE(spy.wait(300));
    EXPECT_EQ(check->window(), nullptr);
}

TEST_F(UpdaterServers, NeverAskAgainStopsOffersInThisRunAndTheNext) {
    ASSERT_TRUE(checkOffers(323));
    press("Command2");
    EXPECT_FALSE(check->window()->isVisible());
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "0");
    EXPECT_FALSE(checkOffers(323));  // the next connection of the same run
    EXPECT_FALSE(check->window()->isVisible());
    EXPECT_TRUE(starter.started.empty());
}

TEST_F(UpdaterServers, AFailedOrTamperedDownloadReportsErrorAndKeepsEverything) {
    // Missing on the FTP server.
    std::filesystem::remove(servers->ftp.file("Varlotte"));
    ASSERT_TRUE(checkOffers(323));
    EXPECT_FALSE(runUpdate());
    // Present, but not the published build.
    test::writeFile(servers->ftp.file("Varlotte"), executable + "tampered");
    EXPECT_FALSE(runUpdate());
    // No digest published: nothing is installed.
    test::writeFile(servers->ftp.file("Varlotte"), executable);
    publish("325\n");
    ASSERT_TRUE(checkOffers(323));
    EXPECT_FALSE(runUpdate());

    EXPECT_EQ(boxes(), (std::vector<std::string>{"Erreur", "Erreur", "Erreur"}));
    EXPECT_TRUE(starter.started.empty());
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "2");
    EXPECT_TRUE(std::filesystem::is_empty(program.path()));
    for (const auto& entry : std::filesystem::directory_iterator(data.path())) {
        EXPECT_EQ(entry.path().extension(), ".ini") << entry.path();
    }
    // The window can try again.
    EXPECT_TRUE(check->window()->findChild<QPushButton*>("Command1")->isEnabled());
}

TEST_F(UpdaterServers, TheDownloadReportsItsStatesInOrder) {
    std::vector<TransferState> states;
    const std::string path = data.file("download");
    ASSERT_TRUE(transfer.download("ftp://127.0.0.1:" + std::to_string(servers->ftpPort) + "/Varlotte",
                                  {0, 0, "varlotteqyr", "37084216"}, path,
                                  [&](TransferState s) { states.push_back(s); }));
    std::vector<TransferState> expected;
    for (int s = 1; s <= 10; ++s) {
        expected.push_back(static_cast<TransferState>(s));
    }
    EXPECT_EQ(states, expected);
    EXPECT_EQ(test::readFile(path), executable);

    // A wrong password is an error, reported as such.
    states.clear();
    EXPECT_FALSE(transfer.download("ftp://127.0.0.1:" + std::to_string(servers->ftpPort) + "/Varlotte",
                                   {0, 0, "varlotteqyr", "wrong"}, path,
                                   [&](TransferState s) { states.push_back(s); }));
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), TransferState::Error);
}

TEST_F(UpdaterServers, ASilentServerNeitherBlocksTheUserInterfaceNorHoldsTheCheckForLong) {
    QTcpServer silent;  // accepts connections and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    useWebBase("http://127.0.0.1:" + std::to_string(silent.serverPort()));

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(100);
    QSignalSpy spy(check.get(), &QtUpdateCheck::checked);
    QElapsedTimer clock;
    clock.start();
    check->connectionOpened(323);
    EXPECT_LT(clock.elapsed(), 200);
    ASSERT_TRUE(spy.wait(8000));
    EXPECT_FALSE(spy.first().first().toBool());
    EXPECT_LT(clock.elapsed(), 7000);
    EXPECT_GE(ticks, 20);  // the event loop kept running during the wait
    EXPECT_EQ(check->window(), nullptr);
}

}  // namespace
}  // namespace vq
