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
#include "core/launcher.h"
#include "engine/connection_source.h"
#include "engine/engine.h"
#include "fuzz_support.h"
#include "plans/main_state.h"
#include "records/record_store.h"
#include "shell/sha256.h"
#include "shell/signature.h"
#include "shell/transfer.h"
#include "shell/update_fetcher.h"
#include "shell/updater.h"

namespace {

using vq::fuzz::check;

constexpr const char* kPayload = "new program";

class ServedFile final : public vq::Transfer {
public:
    explicit ServedFile(std::string body) : m_body(std::move(body)) {}
    bool fetch(const std::string&, const Options&, std::string& body) override {
        body = m_body;
        return true;
    }
    bool download(const std::string&, const Options&, const std::string& path, const StateSink&) override {
        std::ofstream(path, std::ios::binary) << kPayload;
        return true;
    }

private:
    std::string m_body;
};

// A stand-in for the publisher's key: the "signature" of a text is its digest, twice.
class DigestSigner final : public vq::SignatureVerifier {
public:
    static std::string sign(const std::string& message) {
        return vq::sha256Hex(message) + vq::sha256Hex(message);
    }
    bool verify(std::string_view message, std::string_view signatureHex) const override {
        return signatureHex == sign(std::string(message));
    }
};

class FixedClock final : public vq::Clock {
public:
    vq::Date today() const override { return {2026, 12, 8}; }
    vq::TimeOfDay now() const override { return {12, 0, 0}; }
    std::int64_t elapsedMs() const override { return 0; }
};

class Offline final : public vq::ConnectionSource {
public:
    bool isConnected() override { return false; }
    std::string activeConnectionName() override { return {}; }
    std::vector<std::string> profileNames() override { return {}; }
};

class Silent final : public vq::Dialogs {
public:
    vq::DialogAnswer show(const std::string&, const std::string&, vq::DialogButtons,
                          vq::DialogIcon) override {
        return vq::DialogAnswer::Ok;
    }
    void showWithoutWaiting(const std::string&, const std::string&, vq::DialogIcon) override {}
};

class Starter final : public vq::Launcher {
public:
    std::vector<std::string> started;
    bool start(const std::string& program, const std::vector<std::string>&) override {
        started.push_back(program);
        return true;
    }
};

// The installed version as a start of the program in `folder` reads it.
int startUp(const std::string& folder) {
    FixedClock clock;
    Offline source;
    Silent dialogs;
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

    static unsigned run = 0;
    const std::string program = vq::fuzz::scratchFolder() + "/v" + std::to_string(run++ % 64);
    std::filesystem::remove_all(program);
    std::filesystem::create_directories(program);

    const vq::VersionFile direct = vq::parseVersionFile(body);
    checkParsed(direct);
    checkDecision(direct, installed);

    check(vq::ecrireini("Typeconex", "Version", std::to_string(installed), program + "/option.ini"),
          "the installed version is stored");
    const int atStart = startUp(program);
    check(atStart == installed, "start-up reads the installed version");

    ServedFile server(body);
    const DigestSigner signer;
    vq::UpdateFetcher fetcher(server, signer);
    vq::Updater updater(vq::defaultUpdateAddresses(), program + "/mj", program, program);
    const auto fetched = fetcher.check("http://127.0.0.1/maj.txt");
    const bool signedFile =
        body.size() <= 4096 && !direct.versionText.empty() && !direct.digest.empty() &&
        direct.signature == DigestSigner::sign(vq::signedMessage(direct.versionText, direct.digest));
    check(fetched.has_value() == signedFile, "only a signed version file within its bounds is read");
    check(!fetched || (fetched->versionText == direct.versionText && fetched->digest == direct.digest),
          "a fetched version file reads as its text");
    if (!vq::isNewerVersion(direct, atStart)) {
        std::filesystem::remove_all(program);
        return 0;
    }

    const bool verified = fetcher.download("ftp://127.0.0.1/Varlotte", {}, vq::defaultDownloadLimits(),
                                           direct, updater.downloadedPath(), {});
    check(verified == (!direct.signature.empty() &&
                       direct.signature == DigestSigner::sign(vq::signedMessage(direct.versionText,
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
    Starter starter;
    check(updater.install(direct.versionText, state, starter, 1), "a downloaded update is installed");
    check(starter.started == std::vector<std::string>{updater.installerPath()},
          "the installer is started once");
    // What the installer does once it has replaced the executable.
    check(vq::ecrireini("Typeconex", "Version", direct.versionText, state.cheminoption),
          "the version is stored");
    const int afterUpdate = startUp(program);
    check(!vq::isNewerVersion(direct, afterUpdate), "an installed version is not offered again");

    std::filesystem::remove_all(program);
    return 0;
}
