#include "core/duration.h"

#include <charconv>
#include <cstdlib>

#include "core/dialogs.h"

namespace vq {
namespace {

// A field of digits as a number; anything else counts as 0 (an operand that is not a duration, such as
// the empty totals of a plan never saved, then adds nothing).
long fieldValue(std::string_view s) {
    long v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size())
        return 0;
    return v;
}

std::string_view safeSub(std::string_view s, std::size_t pos, std::size_t n) {
    if (pos >= s.size())
        return {};
    return s.substr(pos, n);
}

struct Fields {
    long h, m, s;
};

Fields readFields(std::string_view d) {
    bool wide = d.size() > 3 && d[3] == ':';
    std::string_view hours = safeSub(d, 0, wide ? 3 : 2);
    std::string_view minutes = safeSub(d, wide ? 4 : 3, 2);
    std::string_view seconds = d.size() >= 2 ? d.substr(d.size() - 2) : d;
    return {fieldValue(hours), fieldValue(minutes), fieldValue(seconds)};
}

void appendField(std::string& out, long v) {
    v = std::labs(v);
    if (v < 10)
        out += '0';
    out += std::to_string(v);
}

std::string writeFields(long h, long m, long s) {
    std::string out;
    appendField(out, h);
    out += ':';
    appendField(out, m);
    out += ':';
    appendField(out, s);
    return out;
}

bool twoDigits(std::string_view s, int max) {
    if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9')
        return false;
    return (s[0] - '0') * 10 + (s[1] - '0') <= max;
}

}  // namespace

std::string durationFromSeconds(std::int64_t seconds) {
    if (seconds < 0)
        seconds = 0;
    std::string hours = std::to_string(seconds / 3600);
    if (hours.size() < 2)
        hours.insert(0, 1, '0');
    const auto pad = [](std::int64_t n) { return std::string{char('0' + n / 10), char('0' + n % 10)}; };
    return hours + ":" + pad(seconds / 60 % 60) + ":" + pad(seconds % 60);
}

std::optional<std::int64_t> durationSeconds(std::string_view d) {
    const std::size_t colon = d.find(':');
    if (colon == 0 || colon == std::string_view::npos || d.size() != colon + 6 || d[colon + 3] != ':')
        return std::nullopt;
    const std::string_view hours = d.substr(0, colon);
    if (hours.size() > 12 || hours.find_first_not_of("0123456789") != std::string_view::npos ||
        !twoDigits(d.substr(colon + 1, 2), 59) || !twoDigits(d.substr(colon + 4, 2), 59))
        return std::nullopt;
    std::int64_t h = 0;
    std::from_chars(hours.data(), hours.data() + hours.size(), h);
    return h * 3600 + fieldValue(d.substr(colon + 1, 2)) * 60 + fieldValue(d.substr(colon + 4, 2));
}

std::string ajoutemps(std::string_view a, std::string_view b) {
    Fields x = readFields(a), y = readFields(b);
    long s = x.s + y.s, carry = 0;
    if (s > 59) {
        s -= 60;
        carry = 1;
    }
    long m = x.m + y.m + carry;
    carry = 0;
    if (m > 59) {
        m -= 60;
        carry = 1;
    }
    return writeFields(x.h + y.h + carry, m, s);
}

std::string Enlevetps(std::string_view a, std::string_view b) {
    Fields x = readFields(a), y = readFields(b);
    long borrow = 0;
    if (x.s < y.s) {
        x.s += 60;
        borrow = 1;
    }
    long s = x.s - y.s;
    long mb = y.m + borrow;
    borrow = 0;
    if (x.m < mb) {
        x.m += 60;
        borrow = 1;
    }
    long m = x.m - mb;
    // With nothing to borrow from, the hours wrap like the minutes; the result then is only
    // "not zero", which is all the callers that meet it rely on.
    long hb = y.h + borrow;
    if (x.h < hb)
        x.h += 60;
    return writeFields(x.h - hb, m, s);
}

int durationHours(std::string_view d) {
    return static_cast<int>(readFields(d).h);
}

int durationMinutes(std::string_view d) {
    return static_cast<int>(readFields(d).m);
}

bool isTypedDurationValid(std::string_view x) {
    // Every rule is applied; a field with a sign or blanks is not a number here.
    bool ok = x.size() == 8;
    ok = ok && x[2] == ':' && x[5] == ':';
    ok = ok && twoDigits(x.substr(0, 2), 99);
    ok = ok && twoDigits(x.substr(6, 2), 59);
    ok = ok && twoDigits(x.substr(3, 2), 59);
    return ok;
}

int verifhor(std::string_view x, Dialogs& dialogs) {
    if (isTypedDurationValid(x))
        return 1;
    dialogs.show(
        "Veuillez remplir correctement les champs de la forme : hh:mm:ss (ex: 23:20:12 pour 23 heures 20 "
        "minutes et 12 secondes)",
        "Error", DialogButtons::Ok, DialogIcon::Stop);
    return 0;
}

}  // namespace vq
