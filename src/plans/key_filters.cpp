#include "plans/key_filters.h"

namespace vq {

std::uint16_t Saisie_Nombre(std::uint16_t code) {
    if (code == '.')
        return ',';
    if (code >= '0' && code <= '9')
        return code;
    return 0;
}

std::uint16_t allowanceKeyFilter(std::uint16_t code) {
    return code > 58 ? 0 : code;
}

std::uint16_t dayBoxKeyFilter(std::uint16_t) {
    return 0;
}

}  // namespace vq
