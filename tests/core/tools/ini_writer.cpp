// Rewrites an INI file without end, one generation of records after another, until it is killed.
// Usage: vq_ini_writer <file> <first generation>
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
    }
}
