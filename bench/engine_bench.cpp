// The counter's steady work: one counting tick with an "option.ini" of 10,000 connection records (with
// the allowance alerts looking at each change, as in the program), and one crash-state write.
// Counters report the file replacements each iteration costs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "core/ini_store.h"
#include "engine/allowance_alerts.h"
#include "engine/engine.h"
#include "records/record_store.h"

namespace {

using namespace vq;

class StepClock final : public Clock {
public:
    Date date{2026, 12, 8};
    long seconds = 0;
    Date today() const override { return date; }
    std::int64_t elapsedMs() const override { return seconds * 1000LL; }
    // From 08:00:00 on, back to 08:00:00 every 50,000 seconds: the day never ends.
    TimeOfDay now() const override {
        int s = static_cast<int>(8 * 3600 + seconds % 50000);
        return TimeOfDay{s / 3600, s / 60 % 60, s % 60};
    }
};

class AlwaysConnected final : public ConnectionSource {
public:
    bool isConnected() override { return true; }
    std::string activeConnectionName() override { return {}; }
    std::vector<std::string> profileNames() override { return {}; }
};

class NoBoxes final : public Dialogs {
public:
    DialogAnswer show(const std::string&, const std::string&, DialogButtons, DialogIcon) override {
        return DialogAnswer::Ok;
    }
    void showWithoutWaiting(const std::string&, const std::string&, DialogIcon) override {}
};

class NoNotifications final : public DesktopNotifications {
public:
    void show(const std::string&, const std::string&) override {}
};

struct Counting {
    std::string folder;
    StepClock clock;
    AlwaysConnected source;
    NoBoxes boxes;
    NoNotifications notifications;
    MainState state;
    RecordStore* records = nullptr;
    Engine* engine = nullptr;
    AllowanceAlerts* alerts = nullptr;

    explicit Counting(int recordCount) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vqbench-XXXXXX").string();
        folder = mkdtemp(tmpl.data());
        std::ofstream out(folder + "/option.ini", std::ios::binary);
        out << "[Typeconex]\nForfait=Maison\nVersion=0\n";
        out << "[Forfaits]\nMaison=/1/0,12/0,02/0/0/20/00:00:00/00:00:00\n";
        out << "[Dernc Maison]\ntemps=12:34:56\navf=07:25:04\nprix=0\nforfaitdep=2\n";
        out << "[Enregistrement]\n";
        for (int i = 1; i <= recordCount; ++i)
            out << i << "=00:42:17     |     20:13:05     |     08/12/2026     |     Maison\n";
        out << "[nbdent]\nn°=" << recordCount << "\n";
        out.close();
        records = new RecordStore(folder + "/option.ini");
        records->load();
        engine = new Engine(state, Engine::Deps{clock, source, boxes, *records, nullptr, nullptr}, folder);
        alerts = new AllowanceAlerts(state, clock, notifications, folder + "/option.ini");
        engine->stateChanged.add([this] { alerts->check(); });
        engine->formLoad();
        engine->timer2Tick();  // opens the connection
        // A file changed in the last two seconds is compared by content at each read; measure the
        // steady state the program is in a second after a write.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    }
    ~Counting() {
        delete engine;
        delete alerts;
        delete records;
        std::filesystem::remove_all(folder);
    }
};

void BM_CountingTick(benchmark::State& st) {
    Counting c(static_cast<int>(st.range(0)));
    std::uint64_t before = iniReplacementCount();
    for (auto _ : st) {
        ++c.clock.seconds;
        c.engine->timer2Tick();
    }
    if (c.state.etatconnexion != "2" || c.state.comptage != "1")
        st.SkipWithError("the tick did not count");
    st.counters["replacements/iter"] = benchmark::Counter(
        static_cast<double>(iniReplacementCount() - before) / static_cast<double>(st.iterations()));
}
BENCHMARK(BM_CountingTick)->Arg(10)->Arg(10000);

void BM_CrashStateWrite(benchmark::State& st) {
    Counting c(10000);
    // Only the crash-state writer's replacements: over thousands of simulated seconds the tick itself
    // may store something (a new hour, a new day), which is not what is measured.
    std::uint64_t written = 0;
    for (auto _ : st) {
        ++c.clock.seconds;
        st.PauseTiming();
        c.engine->timer2Tick();
        const std::uint64_t before = iniReplacementCount();
        st.ResumeTiming();
        c.engine->timer1Tick();
        st.PauseTiming();
        written += iniReplacementCount() - before;
        st.ResumeTiming();
    }
    st.counters["replacements/iter"] =
        benchmark::Counter(static_cast<double>(written) / static_cast<double>(st.iterations()));
}
BENCHMARK(BM_CrashStateWrite)->Unit(benchmark::kMicrosecond);

}  // namespace
