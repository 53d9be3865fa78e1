#include "support/fakes.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace vq::test {

void FakeClock::advance(int seconds) {
    elapsed += seconds * 1000LL;
    long total = time.hour * 3600L + time.minute * 60L + time.second + seconds;
    long days = total / 86400;
    total %= 86400;
    if (total < 0) {
        total += 86400;
        --days;
    }
    date = addDays(date, days);
    time = TimeOfDay{static_cast<int>(total / 3600), static_cast<int>(total / 60 % 60),
                     static_cast<int>(total % 60)};
}

DialogAnswer FakeDialogs::show(const std::string& text, const std::string& title, DialogButtons buttons,
                               DialogIcon icon) {
    shown.push_back({text, title, buttons, icon});
    if (buttons == DialogButtons::Ok)
        return DialogAnswer::Ok;
    if (answers.empty())
        return DialogAnswer::Yes;
    DialogAnswer a = answers.front();
    answers.pop_front();
    return a;
}

bool FakeLauncher::start(const std::string& program, const std::vector<std::string>& arguments) {
    asked.emplace_back(program, arguments);
    return !startable || std::find(startable->begin(), startable->end(), program) != startable->end();
}

std::vector<std::string> FakeLauncher::programs() const {
    std::vector<std::string> names;
    for (const auto& start : asked)
        names.push_back(start.first);
    return names;
}

TempDir::TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / ("vqtest-" + std::to_string(random()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            m_path = candidate.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string utf16leFile(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

}  // namespace vq::test
