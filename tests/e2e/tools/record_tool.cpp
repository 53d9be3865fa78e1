// Adds, changes and removes connection records of a data folder through the record editor, as the
// records window does, until it has done `count` operations or is killed. Before and after each
// operation it appends a line to a journal, so that whoever kills it knows which operation may have
// been cut short:  "add? LINE" / "add LINE", "mod? OLD\tNEW" / "mod OLD\tNEW", "del? LINE" / "del LINE".
// Its own records carry the date 01/01/2030 and a start time of their own, one second apart.
// Usage: vq_record_tool <data folder> <plan> <seed> <count> <journal>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/ini_store.h"
#include "records/main_window_port.h"
#include "records/record_editor.h"
#include "records/record_store.h"

namespace {

constexpr const char* kToolDate = "01/01/2030";

// Every box is answered with its first button, silently.
class SilentDialogs final : public vq::Dialogs {
public:
    vq::DialogAnswer show(const std::string&, const std::string&, vq::DialogButtons buttons,
                          vq::DialogIcon) override {
        return buttons == vq::DialogButtons::Ok ? vq::DialogAnswer::Ok : vq::DialogAnswer::Yes;
    }
    void showWithoutWaiting(const std::string&, const std::string&, vq::DialogIcon) override {}
};

// The main window as far as the editor sees it: the plan box, its allowance and its totals.
class FolderMainWindow final : public vq::MainWindowPort {
public:
    explicit FolderMainWindow(std::string option) : m_option(std::move(option)) {}
    std::string planName() const override { return m_plan; }
    void selectPlan(const std::string& name) override {
        m_plan = name;
        std::string record = vq::lireini("Forfaits", name, m_option);
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t at; (at = record.find('/', from)) != std::string::npos; from = at + 1)
            fields.push_back(record.substr(from, at - from));
        fields.push_back(record.substr(from));
        m_hours = fields.size() > 6 ? fields[6] : "00";
        m_first = fields.size() > 2 ? fields[2] : "0";
        m_perMinute = fields.size() > 3 ? fields[3] : "0";
        m_lcd1 = vq::lireini("Dernc " + name, "temps", m_option);
        m_lcd2 = vq::lireini("Dernc " + name, "avf", m_option);
    }
    std::string allowanceHours() const override { return m_hours; }
    std::string lcd1() const override { return m_lcd1; }
    std::string lcd2() const override { return m_lcd2; }
    void setMonthTotal(const std::string& total) override { m_lcd1 = total; }
    void setLcd2(const std::string& value) override { m_lcd2 = value; }
    std::string firstMinutePrice() const override { return m_first; }
    std::string minutePrice() const override { return m_perMinute; }
    void setAmountDue(const std::string&) override {}

private:
    std::string m_option, m_plan, m_hours = "00", m_first = "0", m_perMinute = "0", m_lcd1, m_lcd2;
};

class Journal {
public:
    explicit Journal(const char* path)
        : m_fd(::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644)) {}
    ~Journal() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // One write() per line: the line is in the file (the kernel's) the moment this returns.
    void note(const std::string& line) {
        std::string text = line + "\n";
        if (m_fd < 0 || ::write(m_fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            std::exit(3);
    }

private:
    int m_fd;
};

std::string two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string clockText(int seconds) {
    return two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

int secondsOf(const std::string& t) {
    return std::atoi(t.substr(0, 2).c_str()) * 3600 + std::atoi(t.substr(3, 2).c_str()) * 60 +
           std::atoi(t.substr(6, 2).c_str());
}

// List positions of this tool's records.
std::vector<int> ownRecords(const vq::RecordStore& store) {
    std::vector<int> own;
    for (int i = 0; i < store.count(); ++i) {
        auto fields = vq::splitRecordLine(store.lines()[static_cast<std::size_t>(i)]);
        if (fields.size() >= 4 && fields[2] == kToolDate)
            own.push_back(i);
    }
    return own;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: vq_record_tool <data folder> <plan> <seed> <count> <journal>\n");
        return 2;
    }
    const std::string option = std::string(argv[1]) + "/option.ini";
    const std::string plan = argv[2];
    std::mt19937 rng(static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)));
    const long count = std::atol(argv[4]);
    Journal journal(argv[5]);

    vq::RecordStore store(option);
    store.load();
    SilentDialogs dialogs;
    FolderMainWindow main(option);
    main.selectPlan(plan);
    vq::RecordEditor editor(store, main, dialogs, option);
    vq::SystemClock clock;

    int nextStart = 0;
    for (int position : ownRecords(store)) {
        auto fields = vq::splitRecordLine(store.lines()[static_cast<std::size_t>(position)]);
        nextStart = std::max(nextStart, secondsOf(fields[1]) + 1);
    }
    auto randomDuration = [&] { return clockText(static_cast<int>(rng() % 600)); };

    for (long n = 0; n < count; ++n) {
        std::vector<int> own = ownRecords(store);
        const unsigned pick = rng() % 10;
        vq::RecordsRows rows;
        if (own.empty() || pick < 5) {
            editor.openAddRow(rows, clock);
            rows.addDuration = randomDuration();
            rows.addStartTime = clockText(nextStart++ % 86400);
            rows.addDate = kToolDate;
            rows.addPlan = plan;
            const std::string line =
                vq::makeRecordLine(rows.addDuration, rows.addStartTime, rows.addDate, plan);
            journal.note("add? " + line);
            if (!editor.add(rows))
                return 4;
            journal.note("add " + line);
        } else if (pick < 7) {
            const int position = own[rng() % own.size()];
            editor.select(rows, position);
            editor.openEditRow(rows);
            const std::string before = rows.formerLine;
            rows.editDuration = randomDuration();
            const std::string after =
                vq::makeRecordLine(rows.editDuration, rows.editStartTime, rows.editDate, rows.editPlan);
            journal.note("mod? " + before + "\t" + after);
            if (!editor.modify(rows))
                return 5;
            journal.note("mod " + before + "\t" + after);
        } else {
            const int position = own[rng() % own.size()];
            const std::string line = store.lines()[static_cast<std::size_t>(position)];
            editor.select(rows, position);
            journal.note("del? " + line);
            if (!editor.remove(rows))
                return 6;
            journal.note("del " + line);
        }
    }
    return 0;
}
