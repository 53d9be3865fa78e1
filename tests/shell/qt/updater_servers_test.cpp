// The update check and the update window against real HTTP and FTP servers on loopback, through the
// update helper (trusting a key pair made here with the publisher's script) and the installer.
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
#include <optional>

#include "core/ini_store.h"
#include "shell/qt/update_check_qt.h"
#include "shell/update_addresses.h"
#include "support/fakes.h"

namespace vq {
namespace {

// The servers' script beside these tests and the release script, in the source tree.
const std::filesystem::path kSource = std::filesystem::path(VQ_SOURCE_DIR) / "tests" / "shell";
const QString kServers = QString::fromStdString((kSource / "servers" / "loopback_servers.py").string());
const QString kSignRelease =
    QString::fromStdString((kSource.parent_path().parent_path() / "scripts" / "sign-release.sh").string());

// Runs a program to its end; its standard output, or nothing when it failed (with why in `error`).
std::optional<QString> run(const QString& program, const QStringList& arguments, std::string& error) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error += program.toStdString() + " " + arguments.join(' ').toStdString() + ": " +
                 process.readAllStandardError().toStdString() + "\n";
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The same within a test, where a failed program fails the test.
std::optional<QString> run(const QString& program, const QStringList& arguments) {
    std::string error;
    std::optional<QString> output = run(program, arguments, error);
    if (!output)
        ADD_FAILURE() << error;
    return output;
}

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
    static inline test::TempDir* keys = nullptr;  // "trusted" and "other", throw-away key pairs
    // Why the suite's servers or keys are missing. A failure in the suite's set-up would make the
    // test runner skip every test (and a skipped test passes): each test fails on it instead.
    static inline std::string setUpError;
    static void SetUpTestSuite() {
        setUpError.clear();
        keys = new test::TempDir;
        for (const char* name : {"trusted", "other"}) {
            run("bash",
                {kSignRelease, "new-key", QString::fromStdString(keys->file(name)), "--no-passphrase"},
                setUpError);
        }
        qputenv("VQ_TEST_TRUSTED_KEY",
                QByteArray::fromStdString(test::readFile(keys->file("trusted/publisher.pub.hex"))));
        servers = new LoopbackServers;
        if (!servers->start()) {
            setUpError += "could not start " + kServers.toStdString() +
                          " under /usr/bin/python3 (pyftpdlib): " +
                          servers->process.readAllStandardError().toStdString() +
                          servers->process.errorString().toStdString();
            delete servers;
            servers = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete servers;
        servers = nullptr;
        delete keys;
        keys = nullptr;
    }

    test::TempDir program, data;
    MainState state;
    test::FakeDialogs dialogs;
    test::FakeLauncher starter;
    std::unique_ptr<Updater> updater;
    std::unique_ptr<QtUpdateCheck> check;
    int ended = 0;
    // A "new build" that says it was started, long enough to take several reads.
    const std::string executable = "#!/bin/sh\necho new build > \"$(dirname \"$0\")/started\"\nexit 0\n#" +
                                   std::string(300000, 'v') + "\n";

    void SetUp() override {
        ASSERT_TRUE(setUpError.empty()) << setUpError;
        ASSERT_NE(servers, nullptr);
        state.cheminoption = data.file("option.ini");
        state.chemintempo = data.file("tempo.ini");
        state.versioninstallee = 323;
        state.etatconnexion = "2";
        test::writeFile(state.cheminoption, "[Typeconex]\nVersion=323\nForfait=Maison\n");
        test::writeFile(state.chemintempo, "[plantage]\nouinon=2\n");
        test::writeFile(servers->ftp.file("Varlotte"), executable);
        publish("324");
        useWebBase(web());
    }
    std::string web() const { return "http://127.0.0.1:" + std::to_string(servers->httpPort); }
    std::string ftp() const { return "ftp://127.0.0.1:" + std::to_string(servers->ftpPort); }
    void useWebBase(const std::string& web, const std::string& ftp = "", const std::string& folder = "") {
        check.reset();
        updater = std::make_unique<Updater>(
            UpdateAddresses{web, ftp.empty() ? this->ftp() : ftp, "varlotteqyr", "37084216"},
            VQ_UPDATE_HELPER, folder.empty() ? program.path() : folder, data.path(),
            DownloadLimits{8000, 2000, 1 << 20});
        check = std::make_unique<QtUpdateCheck>(
            UpdateWindow::Deps{*updater, state, dialogs, starter, [this] { ++ended; }});
    }
    // The version file for `version` of the executable on the FTP server, signed with `key`.
    void publish(const std::string& version, const char* key = "trusted") {
        const std::string signedCopy = keys->file("Varlotte");
        test::writeFile(signedCopy, executable);
        run("bash",
            {kSignRelease, "sign", QString::fromStdString(keys->file(std::string(key) + "/publisher.key")),
             QString::fromStdString(version), QString::fromStdString(signedCopy),
             QString::fromStdString(servers->web.file("maj.txt"))});
    }
    void expectNothingStored() {
        EXPECT_TRUE(starter.asked.empty());
        EXPECT_EQ(ended, 0);
        EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
        EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "2");
        EXPECT_TRUE(std::filesystem::is_empty(program.path()));
        for (const auto& entry : std::filesystem::directory_iterator(data.path())) {
            EXPECT_EQ(entry.path().extension(), ".ini") << entry.path();
        }
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

TEST_F(UpdaterServers, ASignedNewerVersionIsOfferedDownloadedVerifiedAndInstalled) {
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
    EXPECT_EQ(test::readFile(updater->downloadedPath()), executable);
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "3");
    EXPECT_EQ(ended, 1);
    // The version is stored by the installer, once it has put the new build in place.
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
    ASSERT_EQ(starter.asked.size(), 1u);
    EXPECT_EQ(starter.asked[0].first, program.file("mj"));
    QStringList arguments;
    for (const std::string& a : starter.asked[0].second) {
        arguments << QString::fromStdString(a);
    }
    arguments[0] = "0";  // the program has ended
    test::writeFile(program.file("Varlotte"), "#!/bin/sh\n");
    ASSERT_TRUE(run(VQ_MJ, arguments));
    EXPECT_EQ(test::readFile(program.file("Varlotte")), executable);
    EXPECT_EQ(test::readFile(program.file("started")), "new build\n");
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "324");
}

TEST_F(UpdaterServers, NoWindowForAnEqualVersionAnEmptyFileOrChecksSwitchedOff) {
    publish("323");
    EXPECT_FALSE(checkOffers(323));
    test::writeFile(servers->web.file("maj.txt"), "");
    EXPECT_FALSE(checkOffers(323));
    std::filesystem::remove(servers->web.file("maj.txt"));  // 404
    EXPECT_FALSE(checkOffers(323));
    EXPECT_EQ(check->window(), nullptr);

    // "Version" 0: no request at all, while a known version does ask and is the only answer.
    publish("324");
    QSignalSpy spy(check.get(), &QtUpdateCheck::checked);
    check->connectionOpened(0);
    EXPECT_FALSE(check->checking());
    EXPECT_EQ(check->window(), nullptr);
    EXPECT_TRUE(checkOffers(323));
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(UpdaterServers, AnUnsignedOversizedOrOtherwiseSignedVersionFileOffersNothing) {
    const std::string signedFile = test::readFile(servers->web.file("maj.txt"));
    const std::string twoLines = signedFile.substr(0, signedFile.find('\n', signedFile.find('\n') + 1) + 1);
    test::writeFile(servers->web.file("maj.txt"), twoLines);
    EXPECT_FALSE(checkOffers(323));
    test::writeFile(servers->web.file("maj.txt"), signedFile + std::string(5000, '\n'));
    EXPECT_FALSE(checkOffers(323));
    test::writeFile(servers->web.file("maj.txt"), "325" + signedFile.substr(3));  // altered version
    EXPECT_FALSE(checkOffers(323));
    publish("324", "other");
    EXPECT_FALSE(checkOffers(323));
    EXPECT_EQ(check->window(), nullptr);
    // The shipped helper trusts only the publisher's key, not the one the tests made.
    publish("324");
    QProcess shipped;
    shipped.start(VQ_MJ, {"check", QString::fromStdString(web() + "/maj.txt")});
    ASSERT_TRUE(shipped.waitForFinished(10000));
    EXPECT_EQ(shipped.exitCode(), 1);
    EXPECT_TRUE(shipped.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(checkOffers(323));  // while the test helper takes it
}

TEST_F(UpdaterServers, NeverAskAgainStopsOffersInThisRunAndTheNext) {
    ASSERT_TRUE(checkOffers(323));
    press("Command2");
    EXPECT_FALSE(check->window()->isVisible());
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "0");
    EXPECT_FALSE(checkOffers(323));  // the next connection of the same run
    EXPECT_FALSE(check->window()->isVisible());
    EXPECT_TRUE(starter.asked.empty());
}

TEST_F(UpdaterServers, AFailedTamperedOversizedEndlessOrStalledDownloadReportsErrorAndKeepsEverything) {
    ASSERT_TRUE(checkOffers(323));
    // Missing on the FTP server.
    std::filesystem::remove(servers->ftp.file("Varlotte"));
    EXPECT_FALSE(runUpdate());
    // Present, but not the signed build.
    test::writeFile(servers->ftp.file("Varlotte"), executable + "tampered");
    EXPECT_FALSE(runUpdate());
    // Larger than the limit.
    test::writeFile(servers->ftp.file("Varlotte"), executable + std::string(2 << 20, 'v'));
    EXPECT_FALSE(runUpdate());
    // Never ending, and stalled half-way, from the web server.
    for (const char* kind : {"/endless", "/stall"}) {
        useWebBase(web(), web() + kind);
        ASSERT_TRUE(checkOffers(323));
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(runUpdate()) << kind;
        EXPECT_LT(clock.elapsed(), 12000) << kind;
    }
    EXPECT_EQ(boxes(), std::vector<std::string>(5, "Erreur"));
    expectNothingStored();
    // The window can try again.
    EXPECT_TRUE(check->window()->findChild<QPushButton*>("Command1")->isEnabled());
}

TEST_F(UpdaterServers, TheDownloadReportsItsStatesInOrder) {
    const std::string target = data.file("download");
    const QString signature =
        QString::fromStdString(parseVersionFile(test::readFile(servers->web.file("maj.txt"))).signature);
    const auto output =
        run(VQ_UPDATE_HELPER, {"fetch", QString::fromStdString(ftp() + "/Varlotte"), "varlotteqyr",
                               "37084216", "324", signature, QString::fromStdString(target), "0", "0", "0"});
    ASSERT_TRUE(output.has_value());
    std::vector<TransferState> states;
    for (const QString& line : output->split('\n', Qt::SkipEmptyParts)) {
        const HelperLine read = readHelperLine(line.toStdString());
        if (read.kind == HelperLine::Kind::State) {
            states.push_back(read.state);
        }
    }
    std::vector<TransferState> expected;
    for (int s = 1; s <= 10; ++s) {
        expected.push_back(static_cast<TransferState>(s));
    }
    EXPECT_EQ(states, expected);
    EXPECT_TRUE(output->endsWith("verified\n"));
    EXPECT_EQ(test::readFile(target), executable);

    // A wrong password is an error, reported as such, and leaves nothing.
    QProcess wrong;
    wrong.start(VQ_UPDATE_HELPER, {"fetch", QString::fromStdString(ftp() + "/Varlotte"), "varlotteqyr",
                                   "wrong", "324", signature, QString::fromStdString(target), "0", "0", "0"});
    ASSERT_TRUE(wrong.waitForFinished(20000));
    EXPECT_EQ(wrong.exitCode(), 1);
    EXPECT_TRUE(wrong.readAllStandardOutput().endsWith("state 11\n"));
    EXPECT_FALSE(std::filesystem::exists(target));
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
    ASSERT_TRUE(spy.wait(10000));
    EXPECT_FALSE(spy.first().first().toBool());
    EXPECT_LT(clock.elapsed(), Updater::checkDeadlineMs());
    EXPECT_GE(ticks, 20);  // the event loop kept running during the wait
    EXPECT_EQ(check->window(), nullptr);
}

TEST_F(UpdaterServers, AnInstalledCopyIsOfferedNothing) {
    test::writeFile(program.file("usr"), "");  // a folder that cannot be written
    useWebBase(web(), ftp(), program.file("usr") + "/bin");
    publish("324");
    check->connectionOpened(323);
    EXPECT_FALSE(check->checking());
    EXPECT_EQ(check->window(), nullptr);
    // From a folder that can be written, the same server does offer the version: nothing but the
    // installed folder held the check back.
    useWebBase(web(), ftp());
    EXPECT_TRUE(checkOffers(323));
}

}  // namespace
}  // namespace vq
