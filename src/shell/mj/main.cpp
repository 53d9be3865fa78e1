// The update helper and installer, a program of its own so that the counting program does no
// network transfer itself.
//   mj check URL | mj fetch ...   the update check and the download (shell/update_fetcher.h), with
//                                 their answers on the standard output; the publisher's key is the
//                                 compiled-in one.
//   mj PID FOLDER NEW-EXECUTABLE [OPTION-INI VERSION]
//       started by the program just before it ends: waits for it to end, puts the new executable in
//       place, then stores VERSION as installed in OPTION-INI, and starts it; when the replacement
//       fails, the previous executable is kept or restored and started, and nothing is stored.
#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "core/ini_store.h"
#include "records/option_file.h"
#include "shell/installer.h"
#include "shell/update_addresses.h"
#ifdef VQ_MJ_TRANSFERS
#include "shell/mj/curl_transfer.h"
#include "shell/mj/ed25519_verifier.h"
#include "shell/mj/publisher_key.h"
#include "shell/update_fetcher.h"
#endif

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <fstream>
#endif

namespace {

bool processRunning(long long pid) {
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return false;
    }
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
#else
    if (pid <= 0 || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) {
        return false;
    }
    // A process that has ended but was not yet reaped by its parent counts as ended.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (std::getline(stat, line)) {
        const std::size_t close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z') {
            return false;
        }
    }
    return true;
#endif
}

int startProgram(const std::string& program) {
    std::fflush(nullptr);
#ifdef _WIN32
    const intptr_t result = _spawnl(_P_NOWAIT, program.c_str(), program.c_str(), nullptr);
    return result == -1 ? 1 : 0;
#else
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    std::perror(program.c_str());
    return 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "check" || mode == "fetch") {
#ifdef VQ_MJ_TRANSFERS
        vq::CurlTransfer transfer;
        const vq::Ed25519Verifier verifier(vq::kPublisherPublicKey);
        return vq::runUpdateHelper(std::vector<std::string>(argv + 1, argv + argc), transfer, verifier,
                                   std::cout);
#else
        std::fprintf(stderr, "mj: this build does no transfers\n");
        return 2;
#endif
    }
    if (argc != 4 && argc != 6) {
        std::fprintf(stderr, "usage: %s PROGRAM-PID PROGRAM-FOLDER NEW-EXECUTABLE [OPTION-INI VERSION]\n",
                     argv[0]);
        return 2;
    }
    long long pid = 0;
    try {
        pid = std::stoll(argv[1]);
    } catch (const std::exception&) {
        std::fprintf(stderr, "mj: not a process id: %s\n", argv[1]);
        return 2;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (processRunning(pid)) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "mj: the program (%lld) did not end; nothing installed\n", pid);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    const vq::InstallReport report = vq::installExecutable(argv[2], argv[3], vq::kPublishedExecutable);
    if (!report.replaced) {
        std::fprintf(stderr, "mj: %s\n", report.message.c_str());
    } else if (argc == 6 &&
               !vq::ecrireini(vq::option::kSettingsSection, vq::option::kVersionKey, argv[5], argv[4])) {
        std::fprintf(stderr, "mj: cannot store version %s in %s\n", argv[5], argv[4]);
    }
    if (report.start.empty()) {
        return 1;
    }
    return startProgram(report.start.string());
}
