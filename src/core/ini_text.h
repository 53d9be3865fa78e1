#pragma once
// The text of an INI file: case-blind names, the encodings met in practice (UTF-8, and the
// Windows-1252 or UTF-16LE of files written on Windows), parsing into an index, and edits that
// change only the lines of the written keys.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vq::ini {

inline constexpr std::size_t kMaxValueChars = 254;

// The case-blind form of a UTF-8 name: ASCII and Latin-1 letters (and the other letters of
// Windows-1252: Œ, Š, Ž, Ÿ) folded to lower case; every other byte kept.
std::string foldName(std::string_view utf8);
// Without the blanks that the reading rules drop: space, tab, vertical tab, form feed, carriage
// return and the end-of-file character 0x1A.
std::string_view trimBlanks(std::string_view s);
std::string cp1252ToUtf8(std::string_view bytes);
// Every line that is not UTF-8 converted from Windows-1252, the others kept: the file as it reads
// (a leading UTF-8 byte-order mark kept too).
std::string linesToUtf8(std::string_view bytes);
// Nothing when a character has no Windows-1252 byte (or `utf8` is not valid UTF-8).
std::optional<std::string> utf8ToCp1252(std::string_view utf8);

struct Write {
    std::string section, key, value;  // UTF-8, names already checked
};

// One parsed file. Offsets point into bytes(); names in the index are folded UTF-8. A file that
// starts with the UTF-16LE byte-order mark is held, and edited, as its UTF-8 text.
class Document {
public:
    explicit Document(std::string bytes);

    // The text parsed: the file's bytes, or the UTF-8 text of a UTF-16LE file.
    const std::string& bytes() const { return m_bytes; }
    // The bytes the document was made from.
    const std::string& fileBytes() const;
    // The value as read (blanks dropped, quotes removed, cut), or nullptr.
    const std::string* find(std::string_view foldedSection, std::string_view foldedKey) const;
    // Every key of a section (folded) with its value as read.
    std::vector<std::pair<std::string, std::string>> entries(const std::string& foldedSection) const;

    // True when the key exists and its line already says `value` exactly (writing it changes nothing).
    bool holds(const Write& w) const;
    // The text with `writes` applied (later writes of one key win); `changed` false and an empty
    // text when no byte would change. Nothing when a line of a Windows-1252 file cannot be written
    // so that it reads back: a character Windows-1252 lacks, or bytes that would pass for UTF-8.
    std::optional<std::string> withWrites(const std::vector<Write>& writes, bool& changed) const;

private:
    // Names are looked up by view: a lookup builds no string.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };
    template <typename T>
    using ByName = std::unordered_map<std::string, T, NameHash, std::equal_to<>>;

    struct KeyLine {
        std::size_t lineStart, equals, contentEnd;
        std::string value;
        bool cp1252;  // the line reads as Windows-1252
    };
    struct Section {
        std::size_t appendAt;  // just after the line ending of its last key line (or header)
        bool appendNeedsEol;   // that line is the file's last and has no line ending
        ByName<KeyLine> keys;
    };

    void parse();
    const KeyLine* keyLine(std::string_view section, std::string_view key) const;
    std::optional<std::string> encode(std::string_view utf8, bool cp1252) const;
    // Where a new value starts on a key line: after "=" and, unless the value brings its own, the
    // blanks that followed it ("key = value" keeps its look).
    std::size_t valueStart(const KeyLine& line, std::string_view encodedValue) const;
    std::string decode(std::string_view raw, bool cp1252) const;
    // A name of the file in its case-blind form.
    std::string decodedName(std::string_view raw, bool cp1252) const;

    std::string m_bytes;
    std::string m_utf16;  // the file's bytes when it is UTF-16LE
    bool m_cp1252 = false;
    std::string m_eol = "\n";
    ByName<Section> m_sections;
};

}  // namespace vq::ini
