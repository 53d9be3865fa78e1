// Rewrites an INI file without end, one generation of records after another, until it is killed.
// After each generation is committed it writes one byte to its standard output, so that whoever
// kills it knows how far it got.
// Usage: vq_ini_writer <file> <first generation>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/ini_store.h"
#include "record_text.h"

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const std::string path = argv[1];
    for (long generation = std::atol(argv[2]);; ++generation) {
        vq::IniBatch batch(path);
        for (int i = 0; i < vq::test::kCrashTestRecords; ++i)
            batch.set("Enregistrement", std::to_string(i), vq::test::crashTestRecord(generation, i));
        batch.set("nbdent", "n°", std::to_string(generation));
        if (!batch.commit())
            return 1;
        if (std::fputc('.', stdout) == EOF || std::fflush(stdout) != 0)
            return 3;
    }
}
