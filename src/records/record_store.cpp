#include "records/record_store.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ini_store.h"
#include "core/ini_text.h"
#include "core/numbers.h"
#include "records/option_file.h"

namespace vq {
namespace {

constexpr int kMaxKey = kMaxRecords;

// The lines of the record section under keys written as plain numbers from 0 to the last 16-bit key,
// by key.
std::vector<std::pair<int, std::string>> numberedLines(const std::string& path) {
    std::vector<std::pair<int, std::string>> lines;
    for (auto& [name, value] : lireiniSection(option::kRecordsSection, path)) {
        std::optional<long long> key = parseWhole(name);
        if (!key || *key < 0 || *key > kMaxKey || std::to_string(*key) != name)
            continue;
        lines.emplace_back(static_cast<int>(*key), std::move(value));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The counter the store goes by: the counter written in the file when it is a whole number from 0
// to the last 16-bit key and no record lies above it; otherwise (missing, spoilt, reset by hand) the
// highest key holding a line, so that every record is read and a new one always goes to a free key.
// Lines above a hole at or below a usable counter are not records: a removal writes the key after
// the last record empty and leaves the old lines above it, which appends then overwrite in turn.
int counterFor(const std::vector<std::pair<int, std::string>>& lines, const std::string& path) {
    int highestLine = -1;
    int lowestHole = kMaxKey + 1;
    for (const auto& [k, value] : lines) {
        if (value.empty())
            lowestHole = std::min(lowestHole, k);
        else
            highestLine = std::max(highestLine, k);
    }
    std::optional<long long> counter =
        parseWhole(lireini(option::kCounterSection, option::kCounterKey, path));
    if (counter && *counter >= 0 && *counter <= kMaxKey &&
        (*counter >= highestLine || lowestHole <= *counter))
        return static_cast<int>(*counter);
    return std::max(highestLine, 0);
}

// A record line as the store can keep it and read it back unchanged: line breaks become blanks and
// the blanks around the line are dropped (the INI reader drops them too). Empty when nothing is left
// or the line cannot be stored at all.
std::string storableLine(const std::string& line) {
    std::string s = line;
    for (char& c : s) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    s = std::string(ini::trimBlanks(s));
    return !s.empty() && iniValueStorable(s) ? s : std::string{};
}

}  // namespace

bool samePlan(std::string_view a, std::string_view b) {
    return ini::trimBlanks(a) == ini::trimBlanks(b);
}

std::optional<long long> RecordStore::storedCount() const {
    return parseWhole(lireini(option::kCounterSection, option::kCounterKey, m_optionPath));
}

bool RecordStore::keepsWhole(const std::string& line) {
    return !line.empty() && storableLine(line) == ini::trimBlanks(line);
}

std::string makeRecordLine(std::string_view duration, std::string_view startTime, std::string_view date,
                           std::string_view plan) {
    std::string line;
    line.reserve(duration.size() + startTime.size() + date.size() + plan.size() + 3 * kFieldSeparator.size());
    line.append(duration).append(kFieldSeparator);
    line.append(startTime).append(kFieldSeparator);
    line.append(date).append(kFieldSeparator);
    line.append(plan);
    return line;
}

std::vector<std::string> splitRecordLine(std::string_view line) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (;;) {
        std::size_t at = line.find(kFieldSeparator, from);
        if (at == std::string_view::npos) {
            pieces.emplace_back(line.substr(from));
            return pieces;
        }
        pieces.emplace_back(line.substr(from, at - from));
        from = at + kFieldSeparator.size();
    }
}

RecordStore::RecordStore(std::string optionPath) : m_optionPath(std::move(optionPath)) {}

void RecordStore::load() {
    m_lines.clear();
    m_keys.clear();
    m_dirty = false;
    m_unwritten.clear();
    const std::string path = resolveIniPath(m_optionPath);
    // One reading of the section rather than one lookup per key: a counter may stand far above the
    // few lines the file holds.
    std::vector<std::pair<int, std::string>> lines = numberedLines(path);
    m_counter = counterFor(lines, path);
    for (auto& [k, line] : lines) {
        if (k > m_counter)
            break;
        if (line.empty())
            continue;
        m_lines.push_back(std::move(line));
        m_keys.push_back(k);
    }
    notify();
}

bool RecordStore::append(const std::string& line, const IniValues& alongside) {
    std::string stored = storableLine(line);
    if (stored.empty() || count() >= kMaxKey)
        return false;
    // The counter has reached the last 16-bit key while holes remain: renumber first.
    if (m_counter >= kMaxKey && !m_dirty)
        m_dirty = true;
    m_lines.push_back(stored);
    if (m_dirty) {
        m_keys.push_back(0);
        bool ok = rewrite(0, alongside);
        notify();
        return ok;
    }
    const int key = m_counter + 1;
    m_keys.push_back(key);
    m_counter = key;
    // The line and the counter go into one replacement of the file: the new record and the counter
    // that makes the loader read it appear together, or neither does.
    IniBatch batch(resolveIniPath(m_optionPath));
    batch.set(option::kRecordsSection, std::to_string(key), stored);
    batch.set(option::kCounterSection, option::kCounterKey, std::to_string(key));
    for (const IniValue& v : alongside)
        batch.set(v.section, v.key, v.value);
    bool ok = batch.commit();
    if (!ok) {
        m_dirty = true;
        keepUnwritten(alongside);
    }
    notify();
    return ok;
}

bool RecordStore::replace(int position, const std::string& line, const IniValues& alongside) {
    if (position < 0 || position >= count())
        return false;
    std::string stored = storableLine(line);
    if (stored.empty())
        return false;
    m_lines[static_cast<std::size_t>(position)] = stored;
    bool ok;
    if (m_dirty) {
        ok = rewrite(0, alongside);
    } else {
        IniBatch batch(resolveIniPath(m_optionPath));
        batch.set(option::kRecordsSection, std::to_string(m_keys[static_cast<std::size_t>(position)]),
                  stored);
        for (const IniValue& v : alongside)
            batch.set(v.section, v.key, v.value);
        ok = batch.commit();
        if (!ok) {
            m_dirty = true;
            keepUnwritten(alongside);
        }
    }
    notify();
    return ok;
}

bool RecordStore::removeAt(int position, const IniValues& alongside) {
    if (position < 0 || position >= count())
        return false;
    m_lines.erase(m_lines.begin() + position);
    m_keys.erase(m_keys.begin() + position);
    bool ok = rewrite(position, alongside);
    notify();
    return ok;
}

bool RecordStore::retirer(std::string_view plan) {
    std::size_t kept = 0;
    std::size_t firstRemoved = m_lines.size();
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        auto fields = splitRecordLine(m_lines[i]);
        if (fields.size() < 4 || samePlan(fields[3], plan)) {
            firstRemoved = std::min(firstRemoved, i);
            continue;
        }
        if (kept != i)
            m_lines[kept] = std::move(m_lines[i]);
        ++kept;
    }
    m_lines.resize(kept);
    bool ok = rewrite(static_cast<int>(firstRemoved));
    notify();
    return ok;
}

bool RecordStore::rewrite(int unchangedBefore, const IniValues& alongside) {
    const int n = count();
    // Lines before the first removed one that already sit under their own position's key are in
    // the file as the rewrite would put them (keys ascend from 0 or more, so checking the last of
    // them is enough); a failed write earlier means nothing in the file can be trusted.
    int from = 0;
    if (!m_dirty && unchangedBefore > 0 && unchangedBefore <= n &&
        m_keys[static_cast<std::size_t>(unchangedBefore - 1)] == unchangedBefore - 1)
        from = unchangedBefore;
    IniBatch batch(resolveIniPath(m_optionPath));
    for (int k = from; k < n; ++k)
        batch.set(option::kRecordsSection, std::to_string(k), m_lines[static_cast<std::size_t>(k)]);
    batch.set(option::kRecordsSection, std::to_string(n), "");
    batch.set(option::kCounterSection, option::kCounterKey, std::to_string(n));
    for (const IniValue& v : m_unwritten)
        batch.set(v.section, v.key, v.value);
    for (const IniValue& v : alongside)
        batch.set(v.section, v.key, v.value);
    // The list is renumbered whether or not the file could be replaced: it stays the reference, and
    // a failed replacement is made good by the next operation, which rewrites everything again.
    m_keys.resize(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        m_keys[static_cast<std::size_t>(k)] = k;
    m_counter = n;
    bool ok = batch.commit();
    m_dirty = !ok;
    if (ok)
        m_unwritten.clear();
    else
        keepUnwritten(alongside);
    return ok;
}

void RecordStore::keepUnwritten(const IniValues& values) {
    for (const IniValue& v : values) {
        auto same = [&v](const IniValue& u) { return u.section == v.section && u.key == v.key; };
        m_unwritten.erase(std::remove_if(m_unwritten.begin(), m_unwritten.end(), same), m_unwritten.end());
        m_unwritten.push_back(v);
    }
}

bool RecordStore::flush() {
    return !m_dirty || rewrite();
}

void RecordStore::notify() {
    if (changed)
        changed();
}

}  // namespace vq
