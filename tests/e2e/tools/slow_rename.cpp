// Preloaded into the program under test: every rename() waits a few milliseconds first, so that the
// instants between the writes of one operation (where a kill does the most harm) last long enough
// for randomly timed kills to land in them often.
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static Rename real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    static unsigned state = 12345u;
    state = state * 1103515245u + 12345u;
    timespec pause{0, static_cast<long>(2'000'000 + (state >> 8) % 20'000'000)};  // 2 to 22 ms
    nanosleep(&pause, nullptr);
    return real(from, to);
}
