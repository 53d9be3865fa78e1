#include "plans/day_progress.h"

#include <array>
#include <optional>

#include "core/numbers.h"

namespace vq {

bool countable(const FreePeriod& free, int weekday, std::string_view t) {
    const bool outsideFreePeriod = t > free.end || t < free.start;
    if (free.payingDay == "La Semaine")
        return outsideFreePeriod;
    return outsideFreePeriod || weekday == free.jourpayant;
}

void recojour(std::string_view dayBox, int& jourpayant) {
    struct Row {
        std::string_view text;
        int number;
    };
    static constexpr std::array<Row, 8> kRows{{{"Lundi", 2},
                                               {"Mardi", 3},
                                               {"Mercredi", 4},
                                               {"Jeudi", 5},
                                               {"Vendredi", 6},
                                               {"Samedi", 7},
                                               {"Dimanche", 1},
                                               {"", 0}}};
    for (const Row& row : kRows) {
        if (row.text == dayBox) {
            jourpayant = row.number;
            return;
        }
    }
}

bool isDayBoxText(std::string_view text) {
    if (text.empty())
        return true;
    for (std::string_view entry : kDayBoxList) {
        if (entry == text)
            return true;
    }
    return false;
}

void progressbar(std::string_view temps, std::string_view lcd1, float& maximum, float& value) {
    if (temps.empty() || temps == "00") {
        maximum = 20;
        value = 20;
        return;
    }
    // The bar needs a maximum above its minimum of 0; anything else is refused.
    if (std::optional<double> m = parseDecimal(temps); m && *m > 0) {
        maximum = static_cast<float>(*m);
        if (value > maximum)
            value = maximum;
    }
    // The month total's hours (three digits from 100 hours on); beyond the allowance the bar is full.
    const std::size_t hourDigits = lcd1.size() > 3 && lcd1[3] == ':' ? 3 : 2;
    if (std::optional<double> v = parseDecimal(lcd1.substr(0, hourDigits)); v && *v >= 0)
        value = static_cast<float>(*v) > maximum ? maximum : static_cast<float>(*v);
}

}  // namespace vq
