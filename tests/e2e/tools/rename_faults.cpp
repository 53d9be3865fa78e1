// Preloaded into the programs under test. Every rename() onto an INI file (each replacement of one)
// waits a few milliseconds first, so that the instants between the writes of one operation last long enough
// for randomly timed kills to land in them. And while the file named by VQ_KILL_SWITCH exists, each
// rename kills the process with SIGKILL, just before or just after it, with the probability written
// in that file: a kill between two given writes, which a timer can hardly aim at.
#include <dlfcn.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// splitmix64, seeded from the process id and the clock's nanoseconds.
unsigned nextRandom() {
    static std::uint64_t state = [] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return (static_cast<std::uint64_t>(getpid()) << 32) ^ static_cast<std::uint64_t>(now.tv_nsec) ^
               (static_cast<std::uint64_t>(now.tv_sec) << 20);
    }();
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<unsigned>((z ^ (z >> 31)) >> 16);
}

// The kill probability the switch file holds, 0 when there is none.
double killProbability() {
    static const char* path = std::getenv("VQ_KILL_SWITCH");
    if (!path)
        return 0;
    std::FILE* f = std::fopen(path, "r");
    if (!f)
        return 0;
    double p = 0;
    if (std::fscanf(f, "%lf", &p) != 1)
        p = 0;
    std::fclose(f);
    return p;
}

void maybeKill(double p) {
    if (p > 0 && (nextRandom() % 10000) < p * 10000)
        ::kill(::getpid(), SIGKILL);
}

}  // namespace

// The pause and the kills around one replacement of an INI file; others pass at once.
template <typename Replace>
int aroundReplacement(const char* to, Replace replace) {
    // Only the INI files: the state file longer (20 to 120 ms: its writes end a connection's closing
    // and restore), the others 2 to 22 ms.
    const std::string_view target(to ? to : "");
    if (target.size() < 4 || target.substr(target.size() - 4) != ".ini")
        return replace();
    const bool stateFile = target.size() >= 9 && target.substr(target.size() - 9) == "tempo.ini";
    const long ms = stateFile ? 20 + nextRandom() % 100 : 2 + nextRandom() % 20;
    timespec pause{0, ms * 1'000'000L};
    nanosleep(&pause, nullptr);
    const double p = killProbability();
    maybeKill(p / 2);
    int result = replace();
    maybeKill(p / 2);
    return result;
}

extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static Rename real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    return aroundReplacement(to, [&] { return real(from, to); });
}

// The state file written every second is swapped with its spare copy rather than renamed over.
extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    using Renameat2 = int (*)(int, const char*, int, const char*, unsigned);
    static Renameat2 real = reinterpret_cast<Renameat2>(dlsym(RTLD_NEXT, "renameat2"));
    return aroundReplacement(to, [&] { return real(fromDir, from, toDir, to, flags); });
}
