#pragma once
// The connection records: the in-memory list and its copy in "option.ini" (the records section and
// its counter), changed together by every operation.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vq {

inline constexpr std::string_view kFieldSeparator = "     |     ";
// Keys, the counter and list positions are 16-bit numbers: a store holds at most this many records.
inline constexpr int kMaxRecords = 32767;
// The longest plan name whose records all read back whole: a value reads back at most 254
// characters, and the rest of a record takes 60 (a three-digit duration, the start time, the date
// and three separators).
inline constexpr std::size_t kMaxPlanNameChars = 194;
inline constexpr const char* kPlanNameTooLongMessage =
    "Le nom du forfait est trop long : 194 caractères au plus.";

// The record line: duration, start time, date and plan joined by the field separator.
std::string makeRecordLine(std::string_view duration, std::string_view startTime, std::string_view date,
                           std::string_view plan);
// The pieces of a line cut at every separator (a well-formed line has at least four).
std::vector<std::string> splitRecordLine(std::string_view line);
// Whether two plan names are the same plan. The files drop the blanks around names and record
// lines, so "Soir " and "Soir" are stored as one plan and its records read back as "Soir".
bool samePlan(std::string_view a, std::string_view b);

// A value of another section written in the same replacement of the file as a record change, so
// that the change and the totals it implies reach the file together or not at all.
struct IniValue {
    std::string section, key, value;
};
using IniValues = std::vector<IniValue>;

class RecordStore {
public:
    explicit RecordStore(std::string optionPath);

    const std::vector<std::string>& lines() const { return m_lines; }
    int count() const { return static_cast<int>(m_lines.size()); }
    bool full() const { return count() >= kMaxRecords; }
    // The counter as the file holds it now, when it is a whole number (the loader may go by another).
    std::optional<long long> storedCount() const;
    // Whether `line` can be stored and read back as it is (not empty, short enough, one line).
    static bool keepsWhole(const std::string& line);

    // Called after every operation, so that the records window can show the new list.
    std::function<void()> changed;

    // Clears the list and reads keys "0" to the counter, holes skipped.
    void load();
    // Adds a line at the end under key = counter + 1; the line and the counter are one replacement
    // of the file. Every operation returns false when the file could not be written (the list is
    // changed all the same, and the next operation rewrites the whole store) or, for append and
    // replace, when the line is empty or the store is full (nothing changes then).
    bool append(const std::string& line, const IniValues& alongside = {});
    // Replaces the line at a list position, under the key that holds it.
    bool replace(int position, const std::string& line, const IniValues& alongside = {});
    // Removes the line at a list position and rewrites the store.
    bool removeAt(int position, const IniValues& alongside = {});
    // Removes every line of `plan` (and every malformed line) and rewrites the store.
    bool retirer(std::string_view plan);
    // Writes the whole store when an earlier write failed; true when the file holds the list.
    bool flush();
    // Values given alongside changes that could not be written yet (the next write that succeeds
    // stores them with the records, so that both reach the file together).
    const IniValues& unwritten() const { return m_unwritten; }

private:
    // Writes the list under keys "0" to n-1, key n empty and the counter n, in one replacement of the
    // file; lines before position `unchangedBefore` are skipped when the file already has them there.
    bool rewrite(int unchangedBefore = 0, const IniValues& alongside = {});
    void notify();
    void keepUnwritten(const IniValues& values);

    std::string m_optionPath;
    std::vector<std::string> m_lines;
    std::vector<int> m_keys;  // the key holding each line
    int m_counter = 0;        // the highest key the list may hold (-1: none)
    bool m_dirty = false;     // a write failed: the file lags behind the list
    IniValues m_unwritten;
};

}  // namespace vq
