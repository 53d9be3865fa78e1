#pragma once
// The key filters of the settings boxes. Each takes the character code of a typed key and returns
// the code to let through: the same, another one, or 0 to discard the key.

#include <cstdint>

namespace vq {

// The price boxes: digits pass, "." becomes ",", everything else (Backspace included) is discarded.
std::uint16_t Saisie_Nombre(std::uint16_t code);
// The hidden allowance box and the month start day: codes above 58 (":" is 58) are discarded.
std::uint16_t allowanceKeyFilter(std::uint16_t code);
// The day box is set from its list only: every character is discarded.
std::uint16_t dayBoxKeyFilter(std::uint16_t code);

}  // namespace vq
