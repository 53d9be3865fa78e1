#pragma once
// The layout of "tempo.ini": the figures of the connection being counted, kept for a start after a
// crash, and the flag that says whether a start must store them. No other file spells its names.

#include <chrono>
#include <optional>
#include <string>

namespace vq {

// What the flag says about the connection the figures describe.
enum class ConnectionFlag {
    NoneOpen,        // "1": no connection is being counted; the figures are already stored
    Counting,        // "2": a connection is being counted; a start after a crash stores it
    EndedForUpdate,  // "3": an update ended the program mid-connection; the next start stores it
};

// The open connection as the crash-state writer keeps it.
struct CrashFigures {
    std::string length;         // the connection's length
    std::string monthTotal;     // the plan's month total, the connection in it
    std::string allowanceLeft;  // the plan's allowance left
    std::string date;           // the connection's start date
    std::string startTime;      // and time
    std::string amountDue;      // the plan's amount due, the connection in it
};

namespace tempo {

inline constexpr const char* kFileName = "tempo.ini";
// The file in `folder`.
std::string filePath(const std::string& folder);

// The flag as stored; nothing when it is missing or says none of the three.
std::optional<ConnectionFlag> readFlag(const std::string& path);
// True for a flag that says a connection was being counted when the program last ended.
bool leftOpen(std::optional<ConnectionFlag> flag);
CrashFigures readFigures(const std::string& path);

// Writes the flag, and the figures with it when given, as one replacement of the file that waits
// for the disk. The only writer of the flag.
bool writeFlag(const std::string& path, ConnectionFlag flag, const CrashFigures* figures = nullptr);
// Writes the figures alone; the replacement waits for the disk only when the last one that did is
// at least `flushEvery` old.
bool writeFigures(const std::string& path, const CrashFigures& figures, std::chrono::milliseconds flushEvery);

}  // namespace tempo
}  // namespace vq
