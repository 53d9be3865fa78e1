#pragma once
// Numbers as text: read with "," or "." as decimal separator, written with the user's separator,
// no fixed number of decimals and at most 15 significant digits (0,72 rather than 0,7199999999999999).

#include <optional>
#include <string>
#include <string_view>

namespace vq {

// A decimal number with "," or "." as separator, blanks around allowed; nothing for anything else.
std::optional<double> parseDecimal(std::string_view text);
// A whole number (optional sign, blanks around allowed); nothing for anything else.
std::optional<long long> parseWhole(std::string_view text);
// A decimal number as parseDecimal reads it; anything that is not a number counts as 0.
double numberOrZero(std::string_view text);
// `text` when it is a number, else "0": an amount stored as it was shown, never as something unreadable.
std::string numberTextOrZero(const std::string& text);

std::string formatDecimal(double value, char separator);
// With the separator of the user's locale (',' when the locale is C/POSIX).
std::string formatDecimal(double value);
char userDecimalSeparator();
// An amount in euros rounded to the cent, with the user's separator: "13,2 €".
std::string eurosText(double amount);

}  // namespace vq
