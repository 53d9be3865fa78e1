#include "core/utf8.h"

#include <cstdint>
#include <cstring>

namespace vq::utf8 {
namespace {

bool continues(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::size_t decode(std::string_view s, std::size_t i, char32_t& cp) {
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    std::size_t len;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if (!continues(s[i + k]))
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

bool isValid(std::string_view s) {
    char32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        // Plain ASCII eight bytes at a time.
        std::uint64_t word;
        if (i + sizeof word <= s.size()) {
            std::memcpy(&word, s.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += sizeof word;
                continue;
            }
        }
        std::size_t n = decode(s, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

void append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t characterCount(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        n += !continues(c);
    return n;
}

std::string_view firstCharacters(std::string_view text, std::size_t maxChars) {
    if (text.size() <= maxChars)
        return text;  // never more characters than bytes
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!continues(text[i])) {
            if (chars == maxChars)
                return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

std::string_view firstBytes(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t n = maxBytes;
    while (n > 0 && continues(text[n]))
        --n;
    return text.substr(0, n);
}

}  // namespace vq::utf8
