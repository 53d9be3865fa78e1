#pragma once
// The key filters of the settings boxes. Each takes the character code of a typed key and the text
// that the key would join (the box's text without its selection), and returns the code to let
// through: the same, another one, or 0 to discard the key.

#include <cstdint>
#include <string_view>

namespace vq {

// The price boxes: digits pass; "." and "," become "," when the box holds no "," yet; everything
// else (Backspace included) is discarded.
std::uint16_t Saisie_Nombre(std::uint16_t code, std::string_view kept);
// The hidden allowance box and the month start day: codes above 58 (":" is 58) are discarded.
std::uint16_t allowanceKeyFilter(std::uint16_t code, std::string_view kept);
// The day box is set from its list only: every character is discarded.
std::uint16_t dayBoxKeyFilter(std::uint16_t code, std::string_view kept);

}  // namespace vq
