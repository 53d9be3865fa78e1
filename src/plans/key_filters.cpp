#include "plans/key_filters.h"

namespace vq {

std::uint16_t Saisie_Nombre(std::uint16_t code, std::string_view kept) {
    if (code == '.' || code == ',') {
        const bool hasSeparator = kept.find_first_of(",.") != std::string_view::npos;
        return hasSeparator ? 0 : ',';
    }
    if (code >= '0' && code <= '9')
        return code;
    return 0;
}

std::uint16_t allowanceKeyFilter(std::uint16_t code, std::string_view) {
    return code > 58 ? 0 : code;
}

std::uint16_t dayBoxKeyFilter(std::uint16_t, std::string_view) {
    return 0;
}

}  // namespace vq
