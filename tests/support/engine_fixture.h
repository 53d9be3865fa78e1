#pragma once
// A whole engine over a fresh data folder, with a fake clock, fake boxes, a scripted connection and
// a log that keeps what it is told.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ini_store.h"
#include "engine/engine.h"
#include "records/record_store.h"
#include "support/fakes.h"
#include "support/port_fakes.h"

namespace vq::test {

// The separator between a record's fields, and a saved plan of 20 hours with no free period.
inline const std::string kSep = "     |     ";
inline const std::string kNoFree = "/1/0/0/0/0/20/00:00:00/00:00:00";

// A program started on a data folder as main starts it: its own state, records and engine.
struct StartedProgram {
    MainState state;
    RecordStore records;
    Engine engine;
    StartedProgram(const std::string& folder, Clock& clock, ConnectionSource& source, Dialogs& dialogs)
        : records(folder + "/option.ini"),
          engine(state, Engine::Deps{clock, source, dialogs, records, nullptr, nullptr}, folder) {
        records.load();
        engine.formLoad();
    }
};

class EngineTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string option = dir.file("option.ini");
    std::string tempo = dir.file("tempo.ini");
    FakeClock clock;
    FakeDialogs dialogs;
    ScriptedSource source;
    RecordingTray tray;
    RecordingUpdate update;
    RecordingLog log;
    RecordStore records{option};
    MainState state;
    Engine engine{state, Engine::Deps{clock, source, dialogs, records, &tray, &update, log}, dir.path()};

    std::string opt(const std::string& section, const std::string& key) {
        return lireini(section, key, option);
    }
    std::string tmp(const std::string& key) { return lireini("plantage", key, tempo); }

    // A saved plan as the settings panel stores it, with its totals, selected as the last used plan.
    void savePlan(const std::string& name, const std::string& record, const std::string& temps,
                  const std::string& avf, const std::string& prix = "0",
                  const std::string& forfaitdep = "2") {
        ecrireini("Forfaits", name, record, option);
        ecrireini("Dernc " + name, "temps", temps, option);
        ecrireini("Dernc " + name, "avf", avf, option);
        ecrireini("Dernc " + name, "prix", prix, option);
        ecrireini("Dernc " + name, "forfaitdep", forfaitdep, option);
        ecrireini("Typeconex", "Forfait", name, option);
    }

    void start() {
        records.load();
        engine.formLoad();
    }

    // A second program started on the folder as it is now, as after a kill of the first.
    std::unique_ptr<StartedProgram> restart() {
        return std::make_unique<StartedProgram>(dir.path(), clock, source, dialogs);
    }

    void at(int h, int m, int s) { clock.time = TimeOfDay{h, m, s}; }

    // Ticks once a second until the clock has moved on by `seconds`. The crash-state writer runs in
    // the second 23:59:59 and after the last tick (each of its runs replaces a file, which is slow).
    void run(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.advance(1);
            engine.timer2Tick();
            if (state.timer1Interval != 0 && (i == seconds - 1 || clock.time == TimeOfDay{23, 59, 59}))
                engine.timer1Tick();
        }
    }
    void tick() {
        engine.timer2Tick();
        if (state.timer1Interval != 0)
            engine.timer1Tick();
    }

    std::vector<std::string> storedRecords() {
        RecordStore fresh(option);
        fresh.load();
        return fresh.lines();
    }
};

}  // namespace vq::test
