// The record store against arbitrary "option.ini" files and sequences of operations: nothing fails, and
// after every operation a fresh load of the file gives the list the store holds in memory.
// Input: the file, then after a NUL one byte per operation. Up to 8 operations: every write parses
// the whole file again, and the faults met so far took at most six.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/ini_store.h"
#include "fuzz_support.h"
#include "memory_files.h"
#include "records/record_store.h"

namespace {

constexpr std::size_t kMaxOperations = 8;

std::string lineFor(unsigned char op) {
    const std::string plan = "plan" + std::to_string(op % 3);
    return vq::makeRecordLine("00:0" + std::to_string(op % 10) + ":00", "12:00:00", "08/12/2026", plan);
}

bool allStorable(const vq::RecordStore& store) {
    for (const auto& line : store.lines()) {
        if (!vq::iniValueStorable(line))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vq::fuzz::check;
    std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    const std::string content = input.substr(0, cut);
    const std::string ops = cut == std::string::npos ? std::string() : input.substr(cut + 1, kMaxOperations);

    static unsigned run = 0;
    const std::string path = vq::fuzz::memoryFolder() + "/option" + std::to_string(run++ % 512) + ".ini";
    vq::fuzz::putFile(path, content);

    vq::RecordStore store(path);
    store.load();
    check(store.count() <= 32767, "at most 32767 records");
    const bool comparable = allStorable(store);

    for (unsigned char op : ops) {
        bool ok = true;
        switch (op % 4) {
            case 0:
                ok = store.append(lineFor(op));
                break;
            case 1:
                ok = store.removeAt(op % (store.count() + 1));
                break;
            case 2:
                ok = store.replace(op % (store.count() + 1), lineFor(op));
                break;
            default:
                ok = store.retirer("plan" + std::to_string(op % 3));
                break;
        }
        if (comparable && ok) {
            vq::RecordStore fresh(path);
            fresh.load();
            check(fresh.lines() == store.lines(), "the file holds what the list shows");
        }
    }
    vq::fuzz::removeFile(path);
    vq::clearIniCache();  // what a run allocates, it frees: no leak check after each run
    return 0;
}
