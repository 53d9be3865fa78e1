// The update helper as the tests run it: the same check and fetch modes as mj, trusting the key the
// test made (VQ_TEST_TRUSTED_KEY, hexadecimal) instead of the publisher's. VQ_TEST_URL_MAP
// ("FROM=TO FROM=TO ...") rewrites the program's own server addresses to the test's servers, and any
// address that is then not on loopback is refused, so that no test reaches beyond the machine.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/mj/curl_transfer.h"
#include "shell/mj/ed25519_verifier.h"
#include "shell/update_fetcher.h"

namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool onLoopback(const std::string& url) {
    for (const char* prefix : {"http://127.0.0.1:", "ftp://127.0.0.1:"}) {
        if (url.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() < 2) {
        return 2;
    }
    std::istringstream map(env("VQ_TEST_URL_MAP"));
    for (std::string pair; map >> pair;) {
        const std::size_t equals = pair.find('=');
        const std::string from = pair.substr(0, equals);
        if (equals != std::string::npos && arguments[1].rfind(from, 0) == 0) {
            arguments[1] = pair.substr(equals + 1) + arguments[1].substr(from.size());
        }
    }
    if (!onLoopback(arguments[1])) {
        std::fprintf(stderr, "update helper for tests: refused %s\n", arguments[1].c_str());
        return 2;
    }
    vq::CurlTransfer transfer;
    const vq::Ed25519Verifier verifier(env("VQ_TEST_TRUSTED_KEY"));
    return vq::runUpdateHelper(arguments, transfer, verifier, std::cout);
}
