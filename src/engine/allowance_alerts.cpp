#include "engine/allowance_alerts.h"

#include <algorithm>
#include <cmath>

#include "core/duration.h"
#include "core/ini_store.h"
#include "core/numbers.h"
#include "engine/counting.h"
#include "records/option_file.h"

namespace vq {
namespace {

// The words of a sent-alerts value, one per alert sent.
constexpr const char* kFirstWord = "seuil1";
constexpr const char* kSecondWord = "seuil2";
constexpr const char* kProjectionWord = "projection";

std::optional<int> percent(const std::string& text) {
    const std::optional<long long> v = parseWhole(text);
    if (!v || *v < 1 || *v > 100)
        return std::nullopt;
    return static_cast<int>(*v);
}

std::string padded(int n, std::size_t width) {
    std::string s = std::to_string(n);
    return s.size() < width ? std::string(width - s.size(), '0') + s : s;
}

// "2026-12-05 Maison": the billing month's first day, then the plan, so that the name (any text)
// comes last and the key reads back whatever the name holds.
std::string monthKey(const std::string& plan, Date start) {
    return padded(start.year, 4) + "-" + padded(start.month, 2) + "-" + padded(start.day, 2) + " " + plan;
}

SentAlerts parseSent(const std::string& value) {
    SentAlerts sent;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(' ', start);
        if (end == std::string::npos)
            end = value.size();
        const std::string word = value.substr(start, end - start);
        sent.first = sent.first || word == kFirstWord;
        sent.second = sent.second || word == kSecondWord;
        sent.projection = sent.projection || word == kProjectionWord;
        start = end + 1;
    }
    return sent;
}

std::string sentText(const SentAlerts& sent) {
    std::string text;
    const auto add = [&text](bool on, const char* word) {
        if (on)
            text += (text.empty() ? "" : " ") + std::string(word);
    };
    add(sent.first, kFirstWord);
    add(sent.second, kSecondWord);
    add(sent.projection, kProjectionWord);
    return text;
}

}  // namespace

AlertSettings readAlertSettings(const std::string& optionPath) {
    const AlertSettings defaults;
    AlertSettings s;
    s.firstPercent = percent(lireini(option::kAlertsSection, option::kFirstThresholdKey, optionPath))
                         .value_or(defaults.firstPercent);
    s.secondPercent = percent(lireini(option::kAlertsSection, option::kSecondThresholdKey, optionPath))
                          .value_or(defaults.secondPercent);
    if (s.firstPercent >= s.secondPercent) {
        s.firstPercent = defaults.firstPercent;
        s.secondPercent = defaults.secondPercent;
    }
    const std::string projection = lireini(option::kAlertsSection, option::kProjectionKey, optionPath);
    s.projection = projection == "0" ? false : (projection == "1" ? true : defaults.projection);
    return s;
}

std::optional<AllowanceUse> allowanceUse(const MainState& state) {
    // Whole hours, as the allowance is saved; beyond a million hours it makes no difference.
    const double hours = std::min(std::floor(numberOrZero(state.temps)), 1e6);
    const std::optional<std::int64_t> used = durationSeconds(state.lcd1);
    if (!(hours >= 1) || !used)
        return std::nullopt;
    return AllowanceUse{*used, static_cast<std::int64_t>(hours) * 3600};
}

std::vector<AlertKind> dueAlerts(const AllowanceUse& use, bool projectedOverrun,
                                 const AlertSettings& settings, const SentAlerts& sent) {
    const auto reached = [&use](int percent) {
        return use.usedSeconds * 100 >= use.allowanceSeconds * percent;
    };
    std::vector<AlertKind> due;
    if (reached(settings.secondPercent)) {
        if (!sent.second)
            due.push_back(AlertKind::Second);
    } else if (reached(settings.firstPercent) && !sent.first) {
        due.push_back(AlertKind::First);
    }
    if (settings.projection && projectedOverrun && !sent.projection && use.usedSeconds < use.allowanceSeconds)
        due.push_back(AlertKind::Projection);
    return due;
}

AlertText alertText(AlertKind kind, const std::string& plan, const AllowanceUse& use,
                    const AlertSettings& settings, std::int64_t projectedSeconds, Date lastDay) {
    const std::string allowance = std::to_string(use.allowanceSeconds / 3600) + " h";
    AlertText text;
    if (kind == AlertKind::Projection) {
        text.summary = "Forfait " + plan + " : dépassement prévu";
        text.body = "Au rythme actuel, le temps du mois atteindra " + durationFromSeconds(projectedSeconds) +
                    " le " + dateText(lastDay) + ", pour un forfait de " + allowance + ".";
        return text;
    }
    const int share = kind == AlertKind::First ? settings.firstPercent : settings.secondPercent;
    text.summary = "Forfait " + plan + " : " + std::to_string(share) + " % utilisés";
    text.body = "Temps utilisé : " + durationFromSeconds(use.usedSeconds) + " sur " + allowance +
                ", temps restant : " + durationFromSeconds(use.allowanceSeconds - use.usedSeconds) + ".";
    return text;
}

AllowanceAlerts::AllowanceAlerts(const MainState& state, const Clock& clock, DesktopNotifications& out,
                                 std::string optionPath)
    : m_state(state),
      m_clock(clock),
      m_out(out),
      m_optionPath(std::move(optionPath)),
      m_settings(readAlertSettings(m_optionPath)) {}

void AllowanceAlerts::check() {
    const MainState& s = m_state;
    const std::optional<AllowanceUse> use = allowanceUse(s);
    if (s.planName.empty() || !use)
        return;
    const Date today = m_clock.today();
    const std::optional<long long> startDay = parseWhole(s.monthStartDay);
    const BillingMonth month =
        billingMonth(today, startDay && *startDay >= 1 && *startDay <= 31 ? static_cast<int>(*startDay) : 1);
    std::string key = monthKey(s.planName, month.start);
    if (key != m_key) {
        // Another plan or a new month: its own record, and the settings as they are now.
        m_key = std::move(key);
        m_settings = readAlertSettings(m_optionPath);
        m_sent = parseSent(lireini(option::kSentAlertsSection, m_key, m_optionPath));
    }
    // The pace of the month's first day says little (an hour on the first morning would make
    // hundreds by the end): the projection is heeded from its second day on.
    bool overrun = false;
    std::int64_t projected = 0;
    if (m_settings.projection && !m_sent.projection && use->usedSeconds < use->allowanceSeconds &&
        daysBetween(month.start, today) >= 1) {
        const Projection p =
            projectMonth({use->usedSeconds, use->allowanceSeconds, 0, 0}, month, today, m_clock.now());
        overrun = p.overrunSeconds > 0;
        projected = p.usedSeconds;
    }
    const std::vector<AlertKind> due = dueAlerts(*use, overrun, m_settings, m_sent);
    if (due.empty())
        return;
    // Remembered before it is shown: a record that cannot be written (a full disk) still sends each
    // alert once in this run.
    markSent(due);
    for (AlertKind kind : due) {
        const AlertText text =
            alertText(kind, s.planName, *use, m_settings, projected, addDays(month.end, -1));
        m_out.show(text.summary, text.body);
    }
}

void AllowanceAlerts::markSent(const std::vector<AlertKind>& kinds) {
    for (AlertKind kind : kinds) {
        if (kind == AlertKind::Second)
            m_sent.first = m_sent.second = true;  // the first threshold is behind too
        else if (kind == AlertKind::First)
            m_sent.first = true;
        else
            m_sent.projection = true;
    }
    ecrireini(option::kSentAlertsSection, m_key, sentText(m_sent), m_optionPath);
}

}  // namespace vq
