// The version file "maj.txt" and the update decision against arbitrary files and installed versions.
// The parsed file is clean (a version without blanks or line breaks, a digest that is 64 lower-case
// hexadecimal digits or nothing, a signature of 128 or nothing); the decision is monotonic in the
// installed version and never offers anything when the check is off; only a signed file is offered;
// a download that its signature does not cover leaves nothing behind; and once an offered version is
// installed, the next start does not offer it again.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/ini_store.h"
#include "engine/engine.h"
#include "fuzz_support.h"
#include "memory_files.h"
#include "plans/main_state.h"
#include "records/record_store.h"
#include "shell/sha256.h"
#include "shell/signature.h"
#include "shell/transfer.h"
#include "shell/update_fetcher.h"
#include "shell/updater.h"
#include "support/fakes.h"
#include "support/port_fakes.h"
#include "support/shell_fakes.h"

namespace {

using vq::fuzz::check;

constexpr const char* kPayload = "new program";
constexpr const char* kCheckUrl = "http://127.0.0.1/maj.txt";
constexpr const char* kDownloadUrl = "ftp://127.0.0.1/Varlotte";

// The installed version as a start of the program in `folder` reads it.
int startUp(const std::string& folder) {
    vq::test::FakeClock clock;
    vq::test::ScriptedSource source;
    vq::test::FakeDialogs dialogs;
    vq::RecordStore records(folder + "/option.ini");
    vq::MainState state;
    vq::Engine engine(state, {clock, source, dialogs, records}, folder);
    engine.formLoad();
    return state.versioninstallee;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

void checkParsed(const vq::VersionFile& file) {
    check(file.versionText.find('\n') == std::string::npos, "the version is one line");
    check(
        file.versionText.empty() || (!isBlank(file.versionText.front()) && !isBlank(file.versionText.back())),
        "the version has no blanks around it");
    check(file.digest.empty() || file.digest.size() == 64, "a digest is 64 digits");
    check(file.signature.empty() || file.signature.size() == 128, "a signature is 128 digits");
    for (char c : file.digest + file.signature)
        check((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'),
              "digest and signature are lower-case hexadecimal");
    const vq::VersionFile again =
        vq::parseVersionFile(file.versionText + "\n" + file.digest + "\n" + file.signature);
    check(again.versionText == file.versionText && again.digest == file.digest &&
              again.signature == file.signature,
          "a version file written from what was read reads the same");
}

void checkDecision(const vq::VersionFile& file, int installed) {
    const bool newer = vq::isNewerVersion(file, installed);
    check(!vq::isNewerVersion(file, 0), "version 0 switches the check off");
    if (newer) {
        check(installed != 0, "nothing is offered while the check is off");
        for (char c : file.versionText)
            check(c >= '0' && c <= '9', "only a number is offered");
        for (int lower : {installed - 1, 1, -32768}) {
            if (lower != 0 && lower < installed)
                check(vq::isNewerVersion(file, lower),
                      "what is newer than a version is newer than older ones");
        }
    } else if (installed != 0 && installed < 32767 && installed + 1 != 0) {
        check(!vq::isNewerVersion(file, installed + 1),
              "what is not newer than a version is not newer than later ones");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const auto installed = static_cast<std::int16_t>(data[0] | (data[1] << 8));
    const std::string body(reinterpret_cast<const char*>(data + 2), size - 2);

    // One program folder for every run: on disk for the downloads, in memory for the INI files.
    static const std::string program = [] {
        const std::string folder = vq::fuzz::scratchFolder() + "/program";
        std::filesystem::create_directories(folder);
        return folder;
    }();
    for (const auto& entry : std::filesystem::directory_iterator(program))
        std::filesystem::remove(entry.path());
    vq::fuzz::emptyFolder(program);

    const vq::VersionFile direct = vq::parseVersionFile(body);
    checkParsed(direct);
    checkDecision(direct, installed);

    check(vq::ecrireini("Typeconex", "Version", std::to_string(installed), program + "/option.ini"),
          "the installed version is stored");
    const int atStart = startUp(program);
    check(atStart == installed, "start-up reads the installed version");

    vq::test::FakeTransfer server;
    server.documents[kCheckUrl] = body;
    server.documents[kDownloadUrl] = kPayload;
    const vq::test::FakeVerifier signer;
    vq::UpdateFetcher fetcher(server, signer);
    vq::Updater updater(vq::defaultUpdateAddresses(), program + "/mj", program, program);
    const auto fetched = fetcher.check(kCheckUrl);
    const bool signedFile =
        body.size() <= 4096 && !direct.versionText.empty() && !direct.digest.empty() &&
        direct.signature == vq::test::fakeSign(vq::signedMessage(direct.versionText, direct.digest));
    check(fetched.has_value() == signedFile, "only a signed version file within its bounds is read");
    check(!fetched || (fetched->versionText == direct.versionText && fetched->digest == direct.digest),
          "a fetched version file reads as its text");
    if (!vq::isNewerVersion(direct, atStart)) {
        vq::clearIniCache();  // what a run allocates, it frees: no leak check after each run
        return 0;
    }

    const bool verified = fetcher.download(kDownloadUrl, {}, vq::defaultDownloadLimits(), direct,
                                           updater.downloadedPath(), [](vq::TransferState) {});
    check(verified == (!direct.signature.empty() &&
                       direct.signature == vq::test::fakeSign(vq::signedMessage(direct.versionText,
                                                                                vq::sha256Hex(kPayload)))),
          "a download is verified exactly when the signature covers it");
    if (!verified) {
        for (const auto& entry : std::filesystem::directory_iterator(program)) {
            const std::string name = entry.path().filename().string();
            check(name == "option.ini" || name == "tempo.ini", "a refused download leaves nothing behind");
        }
        // Put the program in place as if it had been verified, to go on to the installation.
        std::ofstream(updater.downloadedPath(), std::ios::binary) << kPayload;
    }

    vq::MainState state;
    state.cheminoption = program + "/option.ini";
    state.chemintempo = program + "/tempo.ini";
    vq::test::FakeLauncher starter;
    check(updater.install(direct.versionText, state, starter, 1), "a downloaded update is installed");
    check(starter.programs() == std::vector<std::string>{updater.installerPath()},
          "the installer is started once");
    // What the installer does once it has replaced the executable.
    check(vq::ecrireini("Typeconex", "Version", direct.versionText, state.cheminoption),
          "the version is stored");
    const int afterUpdate = startUp(program);
    check(!vq::isNewerVersion(direct, afterUpdate), "an installed version is not offered again");
    vq::clearIniCache();
    return 0;
}
