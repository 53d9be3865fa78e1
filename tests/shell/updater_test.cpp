#include "shell/updater.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "core/ini_store.h"
#include "shell/sha256.h"
#include "shell/update_addresses.h"
#include "shell/update_fetcher.h"
#include "support/fakes.h"
#include "support/shell_fakes.h"

namespace vq {
namespace {

using test::fakeSign;
using test::FakeTransfer;
using test::FakeVerifier;

constexpr const char* kWeb = "http://127.0.0.1:8000";
constexpr const char* kFtp = "ftp://127.0.0.1:2121";

// The program's own account on the update server, with the servers moved to loopback.
UpdateAddresses onLoopback() {
    UpdateAddresses addresses = defaultUpdateAddresses();
    addresses.webBase = kWeb;
    addresses.ftpBase = kFtp;
    return addresses;
}

class UpdaterTest : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir data;
    FakeTransfer transfer;
    FakeVerifier verifier;
    UpdateFetcher fetcher{transfer, verifier};
    test::FakeLauncher starter;
    MainState state;
    Updater updater{onLoopback(), program.file("mj"), program.path(), data.path()};
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
    VersionFile offer(const std::string& signed_ = "") {
        return {"324", "", fakeSign(signedMessage("324", sha256Hex(signed_.empty() ? executable : signed_)))};
    }
    std::string url() const { return std::string(kFtp) + "/" + kPublishedExecutable; }
    bool download(
        const VersionFile& offered, const Transfer::StateSink& onState = [](TransferState) {}) {
        return fetcher.download(url(), {0, 0, 0, 0, "varlotteqyr", "37084216"}, defaultDownloadLimits(),
                                offered, updater.downloadedPath(), onState);
    }
    void publish(const std::string& content) { transfer.documents[std::string(kWeb) + "/maj.txt"] = content; }
    void expectOnlyIniFiles() {
        for (const auto& entry : std::filesystem::directory_iterator(data.path())) {
            EXPECT_TRUE(entry.path().extension() == ".ini") << entry.path();
        }
    }
};

TEST(VersionFileTest, ReadsTheNumberAndTheOptionalDigestAndSignature) {
    const std::string digest(64, 'a');
    VersionFile f = parseVersionFile(" 324 \r\n" + std::string(64, 'A') + "  Varlotte\r\n" +
                                     std::string(128, 'B') + "\r\n");
    EXPECT_EQ(f.versionText, "324");
    EXPECT_EQ(f.digest, digest);
    EXPECT_EQ(f.signature, std::string(128, 'b'));
    EXPECT_EQ(parseVersionFile("324\n" + digest + "\n" + std::string(127, 'b')).signature, "");
    EXPECT_EQ(parseVersionFile("324").digest, "");
    EXPECT_EQ(parseVersionFile("324\nnot-a-digest").digest, "");
    EXPECT_EQ(parseVersionFile("324\n" + std::string(63, 'a')).digest, "");
    EXPECT_EQ(parseVersionFile("").versionText, "");
}

TEST(VersionFileTest, OffersOnlyAGreaterWholeNumber) {
    EXPECT_TRUE(isNewerVersion({"324", "", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"323", "", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"322", "", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"", "", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"324", "", ""}, 0));  // checks switched off
    EXPECT_FALSE(isNewerVersion({"3.24", "", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"<html>", "", ""}, 323));
    EXPECT_FALSE(isNewerVersion({"-5", "", ""}, -6));
    EXPECT_TRUE(isNewerVersion({"99999999999", "", ""}, 32767));
    EXPECT_FALSE(isNewerVersion({"999999999999999999999999", "", ""}, 1));  // out of range: not a number
}

TEST_F(UpdaterTest, OnlyASignedVersionFileWithinItsBoundsIsOffered) {
    const std::string url = std::string(kWeb) + "/maj.txt";
    EXPECT_EQ(fetcher.check(url), std::nullopt);  // no file: silently nothing
    const std::string digest = sha256Hex(executable);
    const std::string signature = fakeSign(signedMessage("324", digest));
    publish("324\n" + digest + "\n");  // unsigned
    EXPECT_EQ(fetcher.check(url), std::nullopt);
    publish("325\n" + digest + "\n" + signature + "\n");  // signed for another version
    EXPECT_EQ(fetcher.check(url), std::nullopt);
    publish("324\n" + digest + "\n" + signature + "\n" + std::string(5000, ' '));  // too long
    EXPECT_EQ(fetcher.check(url), std::nullopt);
    publish("324\n" + digest + "  Varlotte\n" + signature + "\n");
    const auto file = fetcher.check(url);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->versionText, "324");
    EXPECT_EQ(file->signature, signature);
    EXPECT_EQ(transfer.lastOptions.maxBytes, kVersionFileMaxBytes);
    EXPECT_LE(kVersionFileMaxBytes, 8192);
    EXPECT_GT(transfer.lastOptions.totalTimeoutMs, 0);
    EXPECT_LE(transfer.lastOptions.totalTimeoutMs, 5000);
    EXPECT_LE(transfer.lastOptions.connectTimeoutMs, 3000);

    // The helper's answer reads back as the same offer.
    std::ostringstream out;
    EXPECT_EQ(runUpdateHelper({"check", url}, transfer, verifier, out), 0);
    const HelperLine line = readHelperLine(out.str());
    ASSERT_EQ(line.kind, HelperLine::Kind::Offer);
    EXPECT_EQ(line.offer.versionText, "324");
    EXPECT_EQ(line.offer.signature, signature);
    EXPECT_EQ(readHelperLine("offer 324 " + signature.substr(1)).kind, HelperLine::Kind::None);
}

TEST_F(UpdaterTest, AVerifiedDownloadWaitsInTheDataFolderAndInstallHandsItOver) {
    // The download goes through the helper's "fetch" mode with the program's arguments.
    std::vector<std::string> arguments = updater.downloadArguments(offer());
    ASSERT_EQ(arguments.size(), 10u);
    EXPECT_EQ(arguments[1], url());
    EXPECT_EQ(arguments[6], updater.downloadedPath());
    std::ostringstream out;
    ASSERT_EQ(runUpdateHelper(arguments, transfer, verifier, out), 0);
    std::vector<TransferState> states;
    bool verified = false;
    std::istringstream lines(out.str());
    for (std::string l; std::getline(lines, l);) {
        const HelperLine read = readHelperLine(l);
        if (read.kind == HelperLine::Kind::State) {
            states.push_back(read.state);
        }
        verified = verified || read.kind == HelperLine::Kind::Verified;
    }
    EXPECT_TRUE(verified);
    EXPECT_EQ(states, (std::vector<TransferState>{TransferState::Connecting, TransferState::Receiving,
                                                  TransferState::Completed}));
    // The published account, as the server expects it.
    EXPECT_EQ(transfer.lastOptions.user, "varlotteqyr");
    EXPECT_EQ(transfer.lastOptions.password, "37084216");
    EXPECT_EQ(transfer.lastOptions.maxBytes, kDownloadMaxBytes);
    EXPECT_EQ(transfer.lastOptions.totalTimeoutMs, kDownloadTotalTimeoutMs);
    ASSERT_EQ(updater.downloadEnded(true), DownloadOutcome::Verified);
    EXPECT_EQ(test::readFile(updater.downloadedPath()), executable);

    // The installer stores the version itself, once the executable is replaced.
    state.etatconnexion = "2";
    ASSERT_TRUE(updater.install("324", state, starter, 4242));
    ASSERT_EQ(starter.asked.size(), 1u);
    EXPECT_EQ(starter.asked[0].first, program.file(kInstallerProgram));
    EXPECT_EQ(starter.asked[0].second,
              (std::vector<std::string>{"4242", program.path(), updater.downloadedPath(), state.cheminoption,
                                        "324"}));
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "3");
}

TEST_F(UpdaterTest, LimitsGivenToTheHelperAreNeverLooserThanTheProgramsOwn) {
    const Updater tight{{kWeb, kFtp, "u", "p"}, "mj", program.path(), data.path(), {2000, 1000, 1024}};
    const auto arguments = tight.downloadArguments(offer());
    EXPECT_EQ(std::vector<std::string>(arguments.end() - 3, arguments.end()),
              (std::vector<std::string>{"2000", "1000", "1024"}));
    const Updater loose{{kWeb, kFtp, "u", "p"}, "mj", program.path(), data.path(), {0, 1L << 30, 1LL << 40}};
    const auto defaults = loose.downloadArguments(offer());
    EXPECT_EQ(std::vector<std::string>(defaults.end() - 3, defaults.end()),
              (std::vector<std::string>{std::to_string(kDownloadTotalTimeoutMs),
                                        std::to_string(kDownloadStallTimeoutMs),
                                        std::to_string(kDownloadMaxBytes)}));
}

TEST_F(UpdaterTest, WithoutAnOpenConnectionNothingIsMarkedForRecording) {
    ASSERT_TRUE(download(offer()));
    test::writeFile(state.chemintempo, "[plantage]\nouinon=1\n");
    state.etatconnexion = "1";
    ASSERT_TRUE(updater.install("324", state, starter, 1));
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "1");
}

TEST_F(UpdaterTest, FailedOrUntrustedDownloadsLeaveNothingAndStoreNothing) {
    // Missing on the server.
    transfer.documents.clear();
    EXPECT_FALSE(download(offer()));
    // Cut short half-way.
    SetUp();
    transfer.cutShort = true;
    EXPECT_FALSE(download(offer()));
    transfer.cutShort = false;
    // Complete but not what was signed.
    EXPECT_FALSE(download(offer("something else")));
    // Larger than allowed, from a server that ignores the limit.
    EXPECT_FALSE(
        fetcher.download(url(), {}, {0, 0, 8}, offer(), updater.downloadedPath(), [](TransferState) {}));
    // No signature: not even downloaded.
    transfer.requested.clear();
    EXPECT_FALSE(download({"324", "", ""}));
    EXPECT_TRUE(transfer.requested.empty());

    EXPECT_FALSE(std::filesystem::exists(updater.downloadedPath()));
    expectOnlyIniFiles();
    // A helper that was ended half-way leaves its part behind: the program removes it.
    test::writeFile(partialDownloadPath(updater.downloadedPath()), "half");
    EXPECT_EQ(updater.downloadEnded(false), DownloadOutcome::Failed);
    expectOnlyIniFiles();
    // With nothing verified, installing starts nothing and stores nothing.
    state.etatconnexion = "2";
    EXPECT_FALSE(updater.install("324", state, starter, 1));
    EXPECT_TRUE(starter.asked.empty());
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "2");
}

TEST_F(UpdaterTest, AnInstallerThatCannotStartStoresNothing) {
    ASSERT_TRUE(download(offer()));
    starter.startable = std::vector<std::string>{};  // nothing starts
    state.etatconnexion = "2";
    EXPECT_FALSE(updater.install("324", state, starter, 1));
    EXPECT_EQ(lireini("Typeconex", "Version", state.cheminoption), "323");
    EXPECT_EQ(lireini("plantage", "ouinon", state.chemintempo), "2");
}

TEST_F(UpdaterTest, AnInstalledCopyAllowsNoUpdate) {
    EXPECT_TRUE(updater.updatesAllowed());
    test::writeFile(program.file("file"), "");
    const Updater installed{{kWeb, kFtp, "u", "p"}, "mj", program.file("file") + "/bin", data.path()};
    EXPECT_FALSE(installed.updatesAllowed());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(program.path()), {}), 1);  // no probe left
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
