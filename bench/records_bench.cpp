// The record store at its largest: loading 32,767 records, removing one of them (which rewrites
// them all), and appending one more.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/ini_store.h"
#include "records/record_store.h"

namespace {

constexpr int kRecords = 32767;

class BenchFolder {
public:
    BenchFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vqbench-XXXXXX").string();
        if (mkdtemp(tmpl.data()) != nullptr)
            m_path = tmpl;
    }
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// An option file holding `n` records under keys "1" to n, with counter n.
void writeStore(const std::string& path, int n) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[nbdent]\nn°=" << n << "\n[Enregistrement]\n";
    for (int k = 1; k <= n; ++k) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", k / 3600 % 24, k / 60 % 60, k % 60);
        out << k << '=' << vq::makeRecordLine("00:42:17", time, "08/12/2026", k % 2 ? "Soir" : "Maison")
            << '\n';
    }
}

void BM_LoadFullStore(benchmark::State& state) {
    BenchFolder dir;
    const std::string option = dir.file("option.ini");
    writeStore(option, kRecords);
    vq::RecordStore store(option);
    for (auto _ : state) {
        store.load();
        benchmark::DoNotOptimize(store.count());
    }
    state.counters["records"] = store.count();
}
BENCHMARK(BM_LoadFullStore)->Unit(benchmark::kMillisecond);

void BM_RemoveFromFullStore(benchmark::State& state) {
    BenchFolder dir;
    const std::string option = dir.file("option.ini");
    writeStore(option, kRecords);
    vq::RecordStore store(option);
    store.load();
    std::uint64_t replacements = 0;
    for (auto _ : state) {
        // Removing from the middle renumbers every record after it.
        const std::uint64_t before = vq::iniReplacementCount();
        store.removeAt(store.count() / 2);
        replacements += vq::iniReplacementCount() - before;
        state.PauseTiming();
        store.append(vq::makeRecordLine("00:01:00", "12:00:00", "08/12/2026", "Soir"));
        state.ResumeTiming();
    }
    state.counters["replacements/iter"] =
        benchmark::Counter(static_cast<double>(replacements) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RemoveFromFullStore)->Unit(benchmark::kMillisecond);

void BM_AppendToLargeStore(benchmark::State& state) {
    BenchFolder dir;
    const std::string option = dir.file("option.ini");
    writeStore(option, kRecords - 1000);
    vq::RecordStore store(option);
    store.load();
    for (auto _ : state) {
        store.append(vq::makeRecordLine("00:01:00", "12:00:00", "08/12/2026", "Soir"));
        state.PauseTiming();
        if (store.count() >= kRecords) {
            writeStore(option, kRecords - 1000);
            store.load();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AppendToLargeStore)->Unit(benchmark::kMillisecond);

}  // namespace
