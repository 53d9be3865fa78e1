#pragma once
// The layout of "option.ini": the name of every section and key of the file, the section of a
// plan's totals and the plan record. No other file spells them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vq::option {

inline constexpr const char* kFileName = "option.ini";
// The file in `folder`.
std::string filePath(const std::string& folder);

// The program's own settings.
inline constexpr const char* kSettingsSection = "Typeconex";
inline constexpr const char* kPlanInUseKey = "Forfait";   // the plan box text the next start selects
inline constexpr const char* kVersionKey = "Version";     // the installed version; "0": no update check
inline constexpr const char* kLastStartKey = "Date";      // date and time of the last start
inline constexpr const char* kSkinFolderKey = "Dossier";  // the chosen skin folder; "": the default

// The saved plans: each plan's record under the plan's name.
inline constexpr const char* kPlansSection = "Forfaits";

// The section of a plan's running totals for the month.
std::string totalsSection(std::string_view plan);
inline constexpr const char* kMonthTotalKey = "temps";
inline constexpr const char* kAllowanceLeftKey = "avf";
inline constexpr const char* kAmountDueKey = "prix";
inline constexpr const char* kUsedUpKey = "forfaitdep";  // "1": the allowance left starts used up

// The connection records under keys "0", "1", ..., and the counter of the last one.
inline constexpr const char* kRecordsSection = "Enregistrement";
inline constexpr const char* kCounterSection = "nbdent";
inline constexpr const char* kCounterKey = "n°";

// The allowance alerts: their settings, and per plan and billing month the ones already sent.
inline constexpr const char* kAlertsSection = "Alertes";
inline constexpr const char* kFirstThresholdKey = "Seuil1";
inline constexpr const char* kSecondThresholdKey = "Seuil2";
inline constexpr const char* kProjectionKey = "Projection";
inline constexpr const char* kSentAlertsSection = "Notifications";

// The fields of a plan record, in their order.
enum PlanField : std::size_t {
    kPayingDayField,
    kMonthStartDayField,
    kFirstMinutePriceField,
    kMinutePriceField,
    kAmountDueField,
    kFreePeriodField,
    kAllowanceField,
    kFreeStartField,
    kFreeEndField,
};

// The plan record: its fields joined by "/" (a field holding "/" reads back as two).
std::string joinPlanRecord(const std::vector<std::string>& fields);
// The fields of a stored plan record ("/1/0/0,02/..."), split at each "/"; the first is what comes
// before the first "/".
std::vector<std::string> splitPlanRecord(const std::string& record);

}  // namespace vq::option
