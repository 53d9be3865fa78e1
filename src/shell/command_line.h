#pragma once
// The program's command line for scripts and panels: the month figures of a plan (text or JSON) and
// the export of the records to CSV. It reads the data folder and never writes to it, so it can run
// beside a counting copy; it needs no display.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "records/csv_export.h"

namespace vq {

struct CommandLine {
    enum class Action { Help, Status, ExportCsv } action = Action::Help;
    bool json = false;
    std::string plan;  // "" for the plan in use (status) or every plan (export)
    std::optional<YearMonth> month;
    std::string file;   // the export's file
    std::string error;  // why the arguments are refused ("" when they are not)
};

// Exit statuses: done; the figures or the file could not be had; the arguments are refused.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// True when the arguments (after the program's name) are for the command line: one of them starts
// with "--" or is "-h". Others (the toolkit's own "-platform", "-session"...) start the windows.
bool wantsCommandLine(const std::vector<std::string>& args);
CommandLine parseCommandLine(const std::vector<std::string>& args);
// The French usage text `--help` prints.
std::string commandLineHelp();

// Runs a parsed command line against `dataFolder`: the result goes to `out`, messages to `err`;
// returns the exit status.
int runCommandLine(const CommandLine& command, const std::string& dataFolder, const Clock& clock,
                   std::ostream& out, std::ostream& err);

}  // namespace vq
