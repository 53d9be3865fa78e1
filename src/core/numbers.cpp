#include "core/numbers.h"

#include <charconv>
#include <cmath>
#include <locale>

namespace vq {
namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<double> parseDecimal(std::string_view text) {
    std::string_view s = trimBlanks(text);
    std::string normal;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        if (s[i] == '-')
            normal += '-';
        ++i;
    }
    bool digits = false, separator = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            normal += c;
        } else if ((c == ',' || c == '.') && !separator) {
            separator = true;
            normal += '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    // Read with "." whatever the process's locale says: under a French locale the C library's own
    // reader would stop at the "." and read 0,5 as 0.
    double v = 0;
    const char* end = normal.data() + normal.size();
    auto [ptr, ec] = std::from_chars(normal.data(), end, v, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<long long> parseWhole(std::string_view text) {
    std::string_view s = trimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    if (i == s.size() || s.size() - i > 18)
        return std::nullopt;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        v = v * 10 + (s[i] - '0');
    }
    return negative ? -v : v;
}

double numberOrZero(std::string_view text) {
    return parseDecimal(text).value_or(0.0);
}

std::string numberTextOrZero(const std::string& text) {
    return parseDecimal(text) ? text : std::string("0");
}

std::string formatDecimal(double value, char separator) {
    if (!std::isfinite(value))
        return "0";
    if (value == 0)
        value = 0;  // no "-0"
    char buf[64];
    // At most 15 significant digits, with "." whatever the process's locale says.
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc())
        return "0";
    std::string out(buf, ptr);
    for (char& c : out) {
        if (c == '.')
            c = separator;
    }
    return out;
}

std::string formatDecimal(double value) {
    return formatDecimal(value, userDecimalSeparator());
}

char userDecimalSeparator() {
    static const char separator = [] {
        try {
            std::locale user("");
            std::string name = user.name();
            if (name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0)
                return ',';
            char c = std::use_facet<std::numpunct<char>>(user).decimal_point();
            return c == '.' || c == ',' ? c : ',';
        } catch (...) {
            return ',';  // the program speaks French
        }
    }();
    return separator;
}

std::string eurosText(double amount) {
    return formatDecimal(std::round(amount * 100) / 100) + " €";
}

}  // namespace vq
