#pragma once
// The day box's weekday number and the allowance progress bar, refreshed by every tick.

#include <array>
#include <string_view>

namespace vq {

// The day box's list, in its order.
inline constexpr std::array<std::string_view, 8> kDayBoxList{"Lundi",    "Mardi",  "Mercredi", "Jeudi",
                                                             "Vendredi", "Samedi", "Dimanche", "La Semaine"};
// Whether the day box can show `text`: one of its list's entries, or nothing.
bool isDayBoxText(std::string_view text);

// Sets `jourpayant` to the weekday number of the day box text (Sunday = 1 ... Saturday = 7, 0 for an
// empty box); "La Semaine" and unknown texts leave it unchanged.
void recojour(std::string_view dayBox, int& jourpayant);

// A plan's free period as the counter applies it: the settings panel's bounds (`heuredep`,
// `heurefin`), its day box and the day box's weekday number.
struct FreePeriod {
    std::string_view start = "00:00:00";
    std::string_view end = "00:00:00";
    std::string_view payingDay;
    int jourpayant = 0;
};
// Whether the clock time `t` ("HH:mm:ss") of a day of weekday number `weekday` is counted: outside the
// free period, bounds compared as texts and included in it, or on the paying day unless the day box
// says "La Semaine".
bool countable(const FreePeriod& free, int weekday, std::string_view t);

// Sets the bar from the allowance in hours (`Temps`) and the month total (`LCD1`): no allowance shows
// a full bar of 20; else the maximum is the allowance and the value the total's first two digits. A
// value the bar cannot take (above the maximum, unreadable) leaves the previous one.
void progressbar(std::string_view temps, std::string_view lcd1, float& maximum, float& value);

}  // namespace vq
