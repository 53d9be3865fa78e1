#include "core/ini_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/utf8.h"

namespace vq::ini {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Windows-1252 bytes 0x80-0x9F; the five bytes it leaves undefined map to the C1 controls.
constexpr char32_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// What the reading rules drop around a line, a name and a value: the end-of-file character 0x1A of
// old editors too.
constexpr std::string_view kBlanks = " \t\v\f\r\x1A";

bool isBlank(char c) {
    return kBlanks.find(c) != std::string_view::npos;
}

bool isEol(char c) {
    return c == '\r' || c == '\n';
}

// Where the line that starts at `from` ends (its first CR or LF), s.size() when it runs to the end.
// Two memchr calls rather than a byte-by-byte loop: the files are mostly long runs of plain text.
std::size_t lineEnd(std::string_view s, std::size_t from) {
    const char* begin = s.data() + from;
    const std::size_t left = s.size() - from;
    const void* lf = std::memchr(begin, '\n', left);
    const std::size_t toLf = lf ? static_cast<const char*>(lf) - begin : left;
    const void* cr = std::memchr(begin, '\r', toLf);
    return from + (cr ? static_cast<const char*>(cr) - begin : toLf);
}

// A NUL ends the name or value it is in, as it ends a string on the system that wrote the file.
std::string_view beforeNul(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

// The text of a file saved as UTF-16LE (its byte-order mark already skipped); a lone surrogate
// becomes U+FFFD and an odd last byte is dropped.
std::string utf16leToUtf8(std::string_view b) {
    auto unit = [&](std::size_t i) {
        const auto low = static_cast<unsigned char>(b[i]), high = static_cast<unsigned char>(b[i + 1]);
        return static_cast<char32_t>(low | high << 8);
    };
    std::string out;
    out.reserve(b.size());
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < b.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        utf8::append(out, cp);
    }
    return out;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A line written in Windows-1252 reads back as written only when the reader cannot take it for
// UTF-8: it is not valid UTF-8, or it is ASCII (where both read alike).
bool readsAsCp1252(std::string_view line) {
    return isAscii(line) || !utf8::isValid(line);
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

std::string foldName(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c < 0xC3) {  // most bytes: only ASCII capitals change
            if (static_cast<unsigned char>(c - 'A') < 26)
                out[i] = static_cast<char>(c + 32);
        } else if (i + 1 < out.size()) {
            unsigned char n = static_cast<unsigned char>(out[i + 1]);
            if (c == 0xC3 && n >= 0x80 && n <= 0x9E && n != 0x97) {  // À..Þ except ×
                out[++i] = static_cast<char>(n + 0x20);
            } else if (c == 0xC5 && (n == 0x92 || n == 0xA0 || n == 0xBD)) {  // Œ Š Ž
                out[++i] = static_cast<char>(n + 1);
            } else if (c == 0xC5 && n == 0xB8) {  // Ÿ -> ÿ
                out[i] = static_cast<char>(0xC3);
                out[++i] = static_cast<char>(0xBF);
            }
        }
    }
    return out;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else
            utf8::append(out, c < 0xA0 ? kCp1252High[c - 0x80] : char32_t(c));
    }
    return out;
}

std::string linesToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    std::size_t at = bytes.substr(0, 3) == kUtf8Bom ? 3 : 0;
    out.append(bytes.substr(0, at));
    // Lines as the reader splits them: a CR alone ends one too.
    while (at < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", at);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        std::string_view line = bytes.substr(at, end - at);
        out += utf8::isValid(line) ? std::string(line) : cp1252ToUtf8(line);
        at = end;
    }
    return out;
}

std::optional<std::string> utf8ToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    char32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = utf8::decode(s, i, cp);
        if (n == 0)
            return std::nullopt;
        i += n;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        const char32_t* hit = std::find(std::begin(kCp1252High), std::end(kCp1252High), cp);
        if (hit == std::end(kCp1252High))
            return std::nullopt;
        out += static_cast<char>(0x80 + (hit - std::begin(kCp1252High)));
    }
    return out;
}

Document::Document(std::string bytes) : m_bytes(std::move(bytes)) {
    if (m_bytes.substr(0, 2) == "\xFF\xFE") {
        m_utf16 = std::move(m_bytes);
        m_bytes = utf16leToUtf8(std::string_view(m_utf16).substr(2));
    }
    m_cp1252 = !utf8::isValid(m_bytes);
    parse();
}

const std::string& Document::fileBytes() const {
    return m_utf16.empty() ? m_bytes : m_utf16;
}

std::string Document::decode(std::string_view raw, bool cp1252) const {
    return cp1252 ? cp1252ToUtf8(raw) : std::string(raw);
}

std::string Document::decodedName(std::string_view raw, bool cp1252) const {
    return cp1252 ? foldName(cp1252ToUtf8(raw)) : foldName(raw);
}

const std::string* Document::find(std::string_view foldedSection, std::string_view foldedKey) const {
    auto s = m_sections.find(foldedSection);
    if (s == m_sections.end())
        return nullptr;
    auto k = s->second.keys.find(foldedKey);
    return k == s->second.keys.end() ? nullptr : &k->second.value;
}

std::vector<std::pair<std::string, std::string>> Document::entries(const std::string& foldedSection) const {
    std::vector<std::pair<std::string, std::string>> out;
    auto s = m_sections.find(foldedSection);
    if (s == m_sections.end())
        return out;
    out.reserve(s->second.keys.size());
    for (const auto& [key, line] : s->second.keys)
        out.emplace_back(key, line.value);
    return out;
}

// A line ends at CR, LF or a run of them; blank lines hold nothing. Only the first occurrence of a
// section, and of a key inside it, is indexed: later ones are kept in the file but never read.
void Document::parse() {
    const std::string_view all = m_bytes;
    const std::size_t n = all.size();
    std::size_t firstEol = lineEnd(all, 0);
    if (firstEol < n) {
        if (all[firstEol] == '\n')
            m_eol = "\n";
        else
            m_eol = firstEol + 1 < n && all[firstEol + 1] == '\n' ? "\r\n" : "\r";
    }
    std::size_t pos = all.substr(0, 3) == kUtf8Bom ? 3 : 0;
    Section* current = nullptr;
    while (pos < n) {
        if (isEol(all[pos])) {
            ++pos;
            continue;
        }
        const std::size_t lineStart = pos;
        const std::size_t contentEnd = lineEnd(all, pos);
        std::size_t eolEnd = contentEnd;
        if (eolEnd < n)
            eolEnd += (all[eolEnd] == '\r' && eolEnd + 1 < n && all[eolEnd + 1] == '\n') ? 2 : 1;
        pos = eolEnd;

        std::string_view line = all.substr(lineStart, contentEnd - lineStart);
        // In a file that is not UTF-8 as a whole, a line that is keeps reading as UTF-8: a stray byte
        // elsewhere (a truncated character, garbage) must not turn "n°" into another key.
        const bool cp1252 = m_cp1252 && !utf8::isValid(line);
        const std::size_t indent = std::min(line.find_first_not_of(kBlanks), line.size());
        line = trimBlanks(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            std::size_t close = line.rfind(']');
            if (close == std::string_view::npos) {
                current = nullptr;  // not a header; what follows belongs to no readable section
                continue;
            }
            std::string name = decodedName(trimBlanks(beforeNul(line.substr(1, close - 1))), cp1252);
            auto [it, inserted] = m_sections.try_emplace(std::move(name));
            current = inserted ? &it->second : nullptr;
            if (current) {
                current->appendAt = eolEnd;
                current->appendNeedsEol = eolEnd == contentEnd;
            }
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || !current)
            continue;
        current->appendAt = eolEnd;
        current->appendNeedsEol = eolEnd == contentEnd;
        std::string key = decodedName(trimBlanks(beforeNul(line.substr(0, eq))), cp1252);
        if (key.empty())
            continue;
        auto [it, inserted] = current->keys.try_emplace(std::move(key));
        if (!inserted)
            continue;
        std::string value = decode(unquote(trimBlanks(beforeNul(line.substr(eq + 1)))), cp1252);
        value.resize(utf8::firstCharacters(value, kMaxValueChars).size());
        it->second = KeyLine{lineStart, lineStart + indent + eq, contentEnd, std::move(value), cp1252};
    }
}

const Document::KeyLine* Document::keyLine(std::string_view section, std::string_view key) const {
    auto s = m_sections.find(foldName(trimBlanks(section)));
    if (s == m_sections.end())
        return nullptr;
    auto k = s->second.keys.find(foldName(trimBlanks(key)));
    return k == s->second.keys.end() ? nullptr : &k->second;
}

std::optional<std::string> Document::encode(std::string_view utf8, bool cp1252) const {
    if (!cp1252)
        return std::string(utf8);
    return utf8ToCp1252(utf8);
}

std::size_t Document::valueStart(const KeyLine& line, std::string_view encodedValue) const {
    std::size_t at = line.equals + 1;
    if (encodedValue.empty() || !isBlank(encodedValue.front()))
        while (at < line.contentEnd && isBlank(m_bytes[at]))
            ++at;
    return at;
}

bool Document::holds(const Write& w) const {
    const KeyLine* line = keyLine(w.section, w.key);
    if (!line)
        return false;
    auto value = encode(w.value, line->cp1252);
    if (!value)
        return false;
    std::size_t at = valueStart(*line, *value);
    return std::string_view(m_bytes).substr(at, line->contentEnd - at) == *value;
}

std::optional<std::string> Document::withWrites(const std::vector<Write>& writes, bool& changed) const {
    struct Edit {
        std::size_t from, to;
        std::string text;
    };
    std::vector<Edit> edits;

    // Later writes of one key win; new keys keep the order in which they were first written.
    struct NewSection {
        std::string name;
        const Section* existing;
        std::vector<std::pair<std::string, std::string>> keys;  // name, value
        std::unordered_map<std::string, std::size_t> index;
    };
    std::vector<NewSection> grown;
    std::unordered_map<std::string, std::size_t> grownIndex;
    std::unordered_map<const KeyLine*, std::string> replaced;
    std::vector<const KeyLine*> replacedOrder;

    for (const Write& w : writes) {
        std::string section(trimBlanks(w.section)), key(trimBlanks(w.key));
        std::string fs = foldName(section), fk = foldName(key);
        auto s = m_sections.find(fs);
        if (s != m_sections.end()) {
            auto k = s->second.keys.find(fk);
            if (k != s->second.keys.end()) {
                if (!replaced.count(&k->second))
                    replacedOrder.push_back(&k->second);
                replaced[&k->second] = w.value;
                continue;
            }
        }
        auto [gi, fresh] = grownIndex.try_emplace(fs, grown.size());
        if (fresh)
            grown.push_back({section, s == m_sections.end() ? nullptr : &s->second, {}, {}});
        NewSection& g = grown[gi->second];
        auto [ki, freshKey] = g.index.try_emplace(fk, g.keys.size());
        if (freshKey)
            g.keys.emplace_back(key, w.value);
        else
            g.keys[ki->second].second = w.value;
    }

    for (const KeyLine* line : replacedOrder) {
        auto value = encode(replaced[line], line->cp1252);  // each line keeps its own encoding
        if (!value)
            return std::nullopt;
        std::size_t prefixEnd = valueStart(*line, *value);
        if (line->cp1252 &&
            !readsAsCp1252(m_bytes.substr(line->lineStart, prefixEnd - line->lineStart) + *value))
            return std::nullopt;
        if (std::string_view(m_bytes).substr(prefixEnd, line->contentEnd - prefixEnd) != *value)
            edits.push_back({prefixEnd, line->contentEnd, std::move(*value)});
    }

    std::string tail;
    const bool endsWithEol = !m_bytes.empty() && isEol(m_bytes.back());
    for (const NewSection& g : grown) {
        std::string text;
        for (const auto& [key, value] : g.keys) {
            auto k = encode(key, m_cp1252), v = encode(value, m_cp1252);
            if (!k || !v || (m_cp1252 && !readsAsCp1252(*k + "=" + *v)))
                return std::nullopt;
            text += *k + "=" + *v + m_eol;
        }
        if (g.existing) {
            if (g.existing->appendNeedsEol)
                text.insert(0, m_eol);
            edits.push_back({g.existing->appendAt, g.existing->appendAt, std::move(text)});
        } else {
            auto name = encode(g.name, m_cp1252);
            if (!name || (m_cp1252 && !readsAsCp1252("[" + *name + "]")))
                return std::nullopt;
            if (tail.empty() && !m_bytes.empty() && !endsWithEol)
                tail += m_eol;
            tail += "[" + *name + "]" + m_eol + text;
        }
    }
    if (!tail.empty())
        edits.push_back({m_bytes.size(), m_bytes.size(), std::move(tail)});

    changed = !edits.empty();
    if (!changed)
        return std::string();
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.from < b.from; });
    std::string out;
    out.reserve(m_bytes.size() + 256);
    std::size_t at = 0;
    for (const Edit& e : edits) {
        out.append(m_bytes, at, e.from - at);
        out += e.text;
        at = e.to;
    }
    out.append(m_bytes, at, std::string::npos);
    return out;
}

}  // namespace vq::ini
