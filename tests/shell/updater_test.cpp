#include "shell/updater.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include "core/ini_store.h"
#include "shell/sha256.h"
#include "shell/update_addresses.h"
#include "support/fakes.h"

namespace vq {
namespace {

// Serves documents from a map; a download writes the document (or part of it) and reports states.
class FakeTransfer final : public Transfer {
public:
    std::map<std::string, std::string> documents;
    bool cutShort = false;  // the download stops half-way with a failure
    std::vector<std::string> requested;
    Options lastOptions;

    bool fetch(const std::string& url, const Options& options, std::string& body) override {
        requested.push_back(url);
        lastOptions = options;
        auto it = documents.find(url);
        if (it == documents.end()) {
            return false;
        }
        body = it->second;
        return true;
    }
    bool download(const std::string& url, const Options& options, const std::string& path,
                  const StateSink& onState) override {
        requested.push_back(url);
        lastOptions = options;
        onState(TransferState::Connecting);
        auto it = documents.find(url);
        if (it == documents.end()) {
            onState(TransferState::Error);
            return false;
        }
        onState(TransferState::Receiving);
        const std::string& content = it->second;
        test::writeFile(path, cutShort ? content.substr(0, content.size() / 2) : content);
        if (cutShort) {
            onState(TransferState::Error);
            return false;
        }
        onState(TransferState::Completed);
        return true;
    }
};

class FakeStarter final : public Launcher {
public:
    bool works = true;
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    bool start(const std::string& program, const std::vector<std::string>& arguments) override {
        if (!works) {
            return false;
        }
        started.emplace_back(program, arguments);
        return true;
    }
};

constexpr const char* kWeb = "http://127.0.0.1:8000";
constexpr const char* kFtp = "ftp://127.0.0.1:2121";

class UpdaterTest : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir data;
    FakeTransfer transfer;
    FakeStarter starter;
    MainState state;
    Updater updater{transfer, {kWeb, kFtp, "varlotteqyr", "37084216"}, program.path(), data.path()};
    const std::string executable = std::string(
        "\x7f"
        "ELF new build\n");

    void SetUp() override {
        state.cheminoption = data.file("option.ini");
        state.chemintempo = data.file("tempo.ini");
        test::writeFile(state.cheminoption, "[Typeconex]\nVersion=323\nForfait=Maison\n");
        test::writeFile(state.chemintempo, "[plantage]\nouinon=2\n");
        transfer.documents[std::string(kFtp) + "/" + kPublishedExecutable] = executable;
    }
    VersionFile offer() { return {"324", sha256Hex(executable)}; }
};

TEST(VersionFileTest, ReadsTheNumberAndTheOptionalDigest) {
    const std::string digest(64, 'a');
    VersionFile f = parseVersionFile(" 324 \r\n" + std::string(64, 'A') + "  Varlotte\r\n");
    EXPECT_EQ(f.versionText, "324");
    EXPECT_EQ(f.digest, digest);
    EXPECT_EQ(parseVersionFile("324").digest, "");
    EXPECT_EQ(parseVersionFile("324\nnot-a-digest").digest, "");
    EXPECT_EQ(parseVersionFile("324\n" + std::string(63, 'a')).digest, "");
    EXPECT_EQ(parseVersionFile("").versionText, "");
}

TEST(VersionFileTest, OffersOnlyAGreaterWholeNumber) {
    EXPECT_TRUE(isNewerVersion({"324", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"323", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"322", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"324", ""}, 0));  // checks switched off
    EXPECT_FALSE(isNewerVersion({"3.24", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"<html>", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"-5", ""}, -6));
    EXPECT_TRUE(isNewerVersion({"99999999999", ""}, 32767));
    EXPECT_FALSE(isNewerVersion({"999999999999999999999999", ""}, 1));  // out of range: not a number
}

TEST_F(UpdaterTest, FetchesTheVersionFileWithinTheCheckTimeLimits) {
    EXPECT_EQ(updater.fetchVersionFile(), std::nullopt);  // no file: silently nothing
    transfer.documents[std::string(kWeb) + "/maj.txt"] = "324\n";
    auto file = updater.fetchVersionFile();
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->versionText, "324");
    EXPECT_GT(transfer.lastOptions.totalTimeoutMs, 0);
    EXPECT_LE(transfer.lastOptions.totalTimeoutMs, 5000);
    EXPECT_LE(transfer.lastOptions.connectTimeoutMs, 3000);
}

TEST_F(UpdaterTest, AVerifiedDownloadWaitsInTheDataFolderAndInstallHandsItOver) {
    std::vector<TransferState> states;
    ASSERT_EQ(updater.download(offer(), [&](TransferState s) { states.push_back(s); }),
              DownloadOutcome::Verified);
    EXPECT_EQ(transfer.lastOptions.user, "varlotteqyr");
    EXPECT_EQ(transfer.lastOptions.password, "37084216");
    EXPECT_EQ(states.back(), TransferState::Completed);
    EXPECT_EQ(std::filesystem::path(updater.downloadedPath()).parent_path(),
              std::filesystem::path(data.path()));
    EXPECT_EQ(test::readFile(updater.downloadedPath()), executable);

    state.etatconnexion = "2";
    ASSERT_TRUE(updater.install("324", state, starter, 4242));
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].first, program.file(kInstallerProgram));
    EXPECT_EQ(starter.started[0].second,
              (std::vector<std::string>{"4242", program.path(), updater.downloadedPath()}));
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "324");
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "3");
}

TEST_F(UpdaterTest, WithoutAnOpenConnectionNothingIsMarkedForRecording) {
    ASSERT_EQ(updater.download(offer(), [](TransferState) {}), DownloadOutcome::Verified);
    test::writeFile(state.chemintempo, "[plantage]\nouinon=1\n");
    state.etatconnexion = "1";
    ASSERT_TRUE(updater.install("324", state, starter, 1));
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "1");
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "324");
}

TEST_F(UpdaterTest, FailedOrUntrustedDownloadsLeaveNothingAndStoreNothing) {
    // Missing on the server.
    transfer.documents.clear();
    EXPECT_EQ(updater.download(offer(), [](TransferState) {}), DownloadOutcome::TransferFailed);
    // Cut short half-way.
    SetUp();
    transfer.cutShort = true;
    EXPECT_EQ(updater.download(offer(), [](TransferState) {}), DownloadOutcome::TransferFailed);
    transfer.cutShort = false;
    // Complete but not what was published.
    EXPECT_EQ(updater.download({"324", sha256Hex("something else")}, [](TransferState) {}),
              DownloadOutcome::DigestMismatch);
    // No digest published: not even downloaded.
    transfer.requested.clear();
    EXPECT_EQ(updater.download({"324", ""}, [](TransferState) {}), DownloadOutcome::NoDigest);
    EXPECT_TRUE(transfer.requested.empty());

    EXPECT_FALSE(std::filesystem::exists(updater.downloadedPath()));
    for (const auto& entry : std::filesystem::directory_iterator(data.path())) {
        EXPECT_TRUE(entry.path().extension() == ".ini") << entry.path();
    }
    // With nothing verified, installing starts nothing and stores nothing.
    state.etatconnexion = "2";
    EXPECT_FALSE(updater.install("324", state, starter, 1));
    EXPECT_TRUE(starter.started.empty());
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "2");
}

TEST_F(UpdaterTest, AnInstallerThatCannotStartStoresNothing) {
    ASSERT_EQ(updater.download(offer(), [](TransferState) {}), DownloadOutcome::Verified);
    starter.works = false;
    state.etatconnexion = "2";
    EXPECT_FALSE(updater.install("324", state, starter, 1));
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "2");
}

TEST_F(UpdaterTest, DecliningSwitchesChecksOffNowAndAtTheNextStart) {
    state.versioninstallee = 323;
    EXPECT_TRUE(Updater::declineForever(state));
    EXPECT_EQ(state.versioninstallee, 0);
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "0");
    EXPECT_EQ(lireini("Typeconex", "Forfait", state.cheminoption), "Maison");
}

TEST(TransferStateText, NamesEveryProgressStateAndLeavesBoxesToTheWindow) {
    EXPECT_EQ(transferStateText(TransferState::Resolving), "Recherche l' IP de l'ordinateur hôte.");
    EXPECT_EQ(transferStateText(TransferState::RequestSent), "La demande a été envoyé  avec succès.");
    for (int s = 1; s <= 10; ++s) {
        EXPECT_FALSE(transferStateText(static_cast<TransferState>(s)).empty()) << s;
    }
    EXPECT_EQ(transferStateText(TransferState::Error), "");
    EXPECT_EQ(transferStateText(TransferState::Completed), "");
}

}  // namespace
}  // namespace vq
