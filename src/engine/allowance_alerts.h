#pragma once
// Desktop alerts as a plan's month goes on: when the time used reaches a first and a second share of
// the allowance, and when the pace of the month says the allowance will not last. Each is sent at
// most once per plan and billing month; what was sent is kept in "option.ini" across runs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "engine/ports.h"
#include "plans/main_state.h"
#include "plans/month_projection.h"

namespace vq {

// The alert settings of "option.ini": two thresholds, whole percentages of the allowance from 1 to
// 100, the first below the second, and whether the projection alert is on, "1" or "0". A value that
// is missing or not one of these takes its default; two thresholds out of order both take theirs.
struct AlertSettings {
    int firstPercent = 80;
    int secondPercent = 100;
    bool projection = true;
};
AlertSettings readAlertSettings(const std::string& optionPath);

// The plan's month total and allowance as the main window shows them (the month total holds the
// connection being counted). Nothing for a plan without allowance or a total that is no duration.
struct AllowanceUse {
    std::int64_t usedSeconds = 0;
    std::int64_t allowanceSeconds = 0;
};
std::optional<AllowanceUse> allowanceUse(const MainState& state);

enum class AlertKind { First, Second, Projection };

// The alerts already sent for one plan's month.
struct SentAlerts {
    bool first = false;
    bool second = false;
    bool projection = false;
};

// The alerts due, given those sent: the highest threshold reached when it was not sent (a month that
// reaches both at once gets the second only), and the projection while the allowance still lasts.
// `projectedOverrun`: the month's pace so far says the allowance will be exceeded.
std::vector<AlertKind> dueAlerts(const AllowanceUse& use, bool projectedOverrun,
                                 const AlertSettings& settings, const SentAlerts& sent);

struct AlertText {
    std::string summary;
    std::string body;
};
// The notification's texts. `projected` is the month's time at its end at the present pace, and
// `lastDay` the billing month's last day (both for the projection only).
AlertText alertText(AlertKind kind, const std::string& plan, const AllowanceUse& use,
                    const AlertSettings& settings, std::int64_t projectedSeconds, Date lastDay);

// Watches the main window's state after each change and sends the alerts due. On an ordinary tick it
// only compares numbers: "option.ini" is read when the plan or the billing month changes, and
// written when an alert is sent.
class AllowanceAlerts {
public:
    AllowanceAlerts(const MainState& state, const Clock& clock, DesktopNotifications& out,
                    std::string optionPath);
    void check();
    const AlertSettings& settings() const { return m_settings; }

private:
    void markSent(const std::vector<AlertKind>& kinds);

    const MainState& m_state;
    const Clock& m_clock;
    DesktopNotifications& m_out;
    std::string m_optionPath;
    AlertSettings m_settings;
    std::string m_key;  // the plan's month whose alerts m_sent holds
    SentAlerts m_sent;
};

}  // namespace vq
