#pragma once
// The connection records: the in-memory list and its copy in "option.ini" (section "Enregistrement",
// counter "nbdent"/"n°"), changed together by every operation.

#include <string>
#include <string_view>
#include <vector>

namespace vq {

inline constexpr std::string_view kFieldSeparator = "     |     ";

// The record line: duration, start time, date and plan joined by the field separator.
std::string makeRecordLine(std::string_view duration, std::string_view startTime, std::string_view date,
                           std::string_view plan);
// The pieces of a line cut at every separator (a well-formed line has at least four).
std::vector<std::string> splitRecordLine(std::string_view line);

class RecordStore {
public:
    explicit RecordStore(std::string optionPath);

    const std::vector<std::string>& lines() const { return m_lines; }
    int count() const { return static_cast<int>(m_lines.size()); }

    // Clears the list and reads keys "0" to the counter, holes skipped.
    void load();
    // Adds a line at the end; key = counter + 1, written before the counter.
    bool append(const std::string& line);
    // Replaces the line at a list position, under the key that holds it.
    bool replace(int position, const std::string& line);
    // Removes the line at a list position and rewrites the store.
    bool removeAt(int position);
    // Removes every line of `plan` (and every malformed line) and rewrites the store.
    bool retirer(std::string_view plan);

private:
    bool rewrite();

    std::string m_optionPath;
    std::vector<std::string> m_lines;
    std::vector<int> m_keys;  // the key holding each line
};

}  // namespace vq
