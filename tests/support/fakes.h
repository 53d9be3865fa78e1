#pragma once
// Fakes of the core ports and a fresh temporary folder per test.

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/launcher.h"
#include "core/log.h"

namespace vq::test {

class FakeClock final : public Clock {
public:
    Date date{2026, 12, 8};
    TimeOfDay time{12, 0, 0};
    Date today() const override { return date; }
    std::int64_t elapsed = 0;  // milliseconds; setting the date or time leaves it alone
    TimeOfDay now() const override { return time; }
    std::int64_t elapsedMs() const override { return elapsed; }
    // Moves the clock on by a number of seconds, across midnight when needed.
    void advance(int seconds);
};

// Records every box shown and answers from a script (Yes when the script is empty); a box that does
// not wait is recorded with an OK button.
class FakeDialogs final : public Dialogs {
public:
    struct Shown {
        std::string text, title;
        DialogButtons buttons;
        DialogIcon icon;
    };
    std::vector<Shown> shown;
    std::deque<DialogAnswer> answers;
    DialogAnswer show(const std::string& text, const std::string& title, DialogButtons buttons,
                      DialogIcon icon) override;
    void showWithoutWaiting(const std::string& text, const std::string& title, DialogIcon icon) override {
        shown.push_back({text, title, DialogButtons::Ok, icon});
    }
    // File names asked for: the name proposed each time; answered with `saveAs` (empty: cancelled).
    std::vector<std::string> proposedNames;
    std::string saveAs;
    std::optional<std::string> askSaveFileName(const std::string&,
                                               const std::string& suggestedName) override {
        proposedNames.push_back(suggestedName);
        return saveAs.empty() ? std::nullopt : std::optional<std::string>(saveAs);
    }
};

// Records every program it is asked to start, with its arguments, whether it started or not; a
// program starts when `startable` lists it, and any program does while `startable` is not set.
class FakeLauncher final : public Launcher {
public:
    std::vector<std::pair<std::string, std::vector<std::string>>> asked;
    std::optional<std::vector<std::string>> startable;
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
    // The programs asked for, in order.
    std::vector<std::string> programs() const;
};

// Keeps every message, as "warning: ..." or "info: ...".
class RecordingLog final : public Log {
public:
    std::vector<std::string> lines;
    void warning(Topic, const std::string& message) override { lines.push_back("warning: " + message); }
    void info(Topic, const std::string& message) override { lines.push_back("info: " + message); }
};

// A new empty folder, removed with its contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Whole-file helpers for tests.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
// The bytes of a file saved as UTF-16LE, its byte-order mark first.
std::string utf16leFile(std::u16string_view text);

}  // namespace vq::test
