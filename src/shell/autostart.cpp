#include "shell/autostart.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "core/ini_fs.h"

namespace vq {
namespace {

// The characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

std::string trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = s.find_last_not_of(" \t\r");
    return std::string(s.substr(first, last - first + 1));
}

}  // namespace

std::string autostartEntryPath(const char* xdgConfigHome, const char* home) {
    std::string config;
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        config = xdgConfigHome;
    else
        config = std::string(home ? home : "") + "/.config";
    return config + "/autostart/" + kAutostartFileName;
}

std::string execValue(const std::string& program) {
    std::string argument;
    if (program.find_first_of(kReserved) == std::string::npos) {
        argument = program;
    } else {
        argument = "\"";
        for (char c : program) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                argument += '\\';
            argument += c;
        }
        argument += '"';
    }
    // "%" starts a field code; then the string escapes, which a reader undoes first.
    std::string value;
    for (char c : argument) {
        switch (c) {
            case '%':
                value += "%%";
                break;
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

std::string autostartEntry(const std::string& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Varlotte Qyr\n"
           "Comment=Compte le temps passé connecté à internet\n"
           "Exec=" +
           execValue(program) +
           "\n"
           "Icon=varlotte-qyr\n"
           "Terminal=false\n";
}

bool autostartEnabled(const std::string& entryPath) {
    std::ifstream in(entryPath, std::ios::binary);
    if (!in)
        return false;
    bool inMainGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string s = trimmed(line);
        if (!s.empty() && s.front() == '[') {
            inMainGroup = s == "[Desktop Entry]";
            continue;
        }
        const std::size_t eq = s.find('=');
        if (inMainGroup && eq != std::string::npos && trimmed(s.substr(0, eq)) == "Hidden" &&
            trimmed(s.substr(eq + 1)) == "true")
            return false;
    }
    return true;
}

bool enableAutostart(const std::string& entryPath, const std::string& program) {
    const std::filesystem::path path(entryPath);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return false;
    return ini::replaceFile(path.parent_path().string(), path.filename().string(), autostartEntry(program),
                            false);
}

bool disableAutostart(const std::string& entryPath) {
    std::error_code error;
    std::filesystem::remove(entryPath, error);
    return !error && !std::filesystem::exists(entryPath, error);
}

}  // namespace vq
