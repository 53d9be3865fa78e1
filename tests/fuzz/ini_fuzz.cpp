// The INI store against arbitrary files, names and values: reading never fails, and a write either
// reports success, reads back what was written and leaves the other keys of its section as they
// read, or reports failure and leaves the file as it was.
// Input: the file, then the section, the key and the value, each after a NUL; NULs beyond the last
// three belong to the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/ini_store.h"
#include "core/ini_text.h"
#include "fuzz_support.h"

namespace {

std::vector<std::string> splitInput(const std::string& s) {
    auto inFile = std::count(s.begin(), s.end(), '\0') - 3;
    std::vector<std::string> parts(1);
    for (char c : s) {
        if (c == '\0' && inFile-- <= 0 && parts.size() < 4) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    parts.resize(4);
    return parts;
}

// The section as lireini reads it, without `key`.
std::vector<std::pair<std::string, std::string>> othersOf(const std::string& section, const std::string& key,
                                                          const std::string& path) {
    auto entries = vq::lireiniSection(section, path);
    const std::string folded = vq::ini::foldName(vq::ini::trimBlanks(key));
    std::erase_if(entries, [&](const auto& e) { return e.first == folded; });
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t codePoints(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vq::fuzz::check;
    const auto parts = splitInput(std::string(reinterpret_cast<const char*>(data), size));
    const std::string& content = parts[0];
    const std::string section = parts[1].empty() ? "Typeconex" : parts[1];
    const std::string key = parts[2].empty() ? "Forfait" : parts[2];
    const std::string& value = parts[3];

    // A file name of its own per run: the store keeps parsed copies by file.
    static unsigned run = 0;
    const std::string path = vq::fuzz::scratchFolder() + "/f" + std::to_string(run++ % 512) + ".ini";
    std::filesystem::remove(path);
    {
        std::ofstream out(path, std::ios::binary);
        out << content;
    }

    const std::string first = vq::lireini(section, key, path);
    check(codePoints(first) <= 254, "a value read back is at most 254 characters");
    check(vq::lireini(section, key, path) == first, "two reads of an unchanged file agree");

    const auto others = othersOf(section, key, path);
    const bool stored = vq::ecrireini(section, key, value, path);
    check(othersOf(section, key, path) == others,
          "a write leaves the other keys of its section as they read");
    const bool breaksFile = !vq::iniNamesStorable(section, key) ||
                            value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
    if (breaksFile) {
        check(!stored, "a name or value that would break the file is refused");
        check(readAll(path) == content, "a refused write leaves the file untouched");
    }
    if (stored && vq::iniValueStorable(value)) {
        check(vq::lireini(section, key, path) == value, "a stored value reads back");
    }
    std::filesystem::remove(path);
    return 0;
}
