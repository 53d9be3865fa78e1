#pragma once
// UTF-8 in one place: checking bytes, reading and writing one character, counting characters and
// cutting a text without splitting a character. Every layer that measures or cuts text uses these.

#include <cstddef>
#include <string>
#include <string_view>

namespace vq::utf8 {

bool isValid(std::string_view bytes);
// Decodes the sequence at s[i] into `cp`; returns its length, 0 when it is not valid UTF-8 (an
// overlong form, a surrogate, beyond U+10FFFF or cut short).
std::size_t decode(std::string_view s, std::size_t i, char32_t& cp);
void append(std::string& out, char32_t cp);
// Characters, counting every byte that does not continue a sequence.
std::size_t characterCount(std::string_view text);
// The first `maxChars` characters.
std::string_view firstCharacters(std::string_view text, std::size_t maxChars);
// At most `maxBytes` bytes, fewer when the cut would fall inside a character.
std::string_view firstBytes(std::string_view text, std::size_t maxBytes);

}  // namespace vq::utf8
