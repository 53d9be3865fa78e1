// The INI store on an "option.ini" of 10,000 connection records (about 1 MB): reads and writes of
// one key with the file unchanged, a write of a new value, and a read after the file changed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "core/ini_store.h"

namespace {

constexpr int kRecords = 10000;
const char* const kRecord = "00:42:17     |     20:13:05     |     08/12/2026     |     Soir";

struct BigFile {
    std::string folder, path;
    BigFile() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vqbench-XXXXXX").string();
        folder = mkdtemp(tmpl.data());
        path = folder + "/option.ini";
        std::ofstream out(path, std::ios::binary);
        out << "[Typeconex]\nForfait=Maison\nVersion=3\nDate=08/12/2026\nDossier=\n";
        out << "[Forfaits]\nMaison=20/0,12/0,02/1/0/0/00:00:00/00:00:00/0/0\n";
        out << "[Dernc Maison]\ntemps=12:34:56\navf=07:25:04\nprix=0\nforfaitdep=2\n";
        out << "[Enregistrement]\n";
        for (int i = 0; i < kRecords; ++i)
            out << i << "=" << kRecord << "     |     Maison " << std::string(i % 5, ' ') << "\n";
        out << "[nbdent]\nn°=" << kRecords << "\n";
        out.close();
        // Without change notifications, a file changed in the last two seconds is compared by
        // content at each call; measure the steady state.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    }
    ~BigFile() { std::filesystem::remove_all(folder); }
};

const BigFile& bigFile() {
    static BigFile f;
    return f;
}

void setMode(const benchmark::State& state) {
    vq::setIniChangeWatchForTesting(state.range(0) != 0);
    // The first read parses the file; what follows measures the cached path.
    benchmark::DoNotOptimize(vq::lireini("nbdent", "n°", bigFile().path));
}

// range(0): 1 = with change notifications, 0 = comparing the file's stamp at each call.
void BM_ReadUnchanged(benchmark::State& state) {
    setMode(state);
    const std::string& path = bigFile().path;
    for (auto _ : state)
        benchmark::DoNotOptimize(vq::lireini("Enregistrement", "5000", path));
}
BENCHMARK(BM_ReadUnchanged)->Arg(1)->Arg(0)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ReadAccentedKey(benchmark::State& state) {
    setMode(state);
    const std::string& path = bigFile().path;
    for (auto _ : state)
        benchmark::DoNotOptimize(vq::lireini("NBDENT", "N°", path));
}
BENCHMARK(BM_ReadAccentedKey)->Arg(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_WriteUnchangedValue(benchmark::State& state) {
    setMode(state);
    const std::string& path = bigFile().path;
    const std::string value = vq::lireini("Dernc Maison", "temps", path);
    const auto before = vq::iniReplacementCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(vq::ecrireini("Dernc Maison", "temps", value, path));
    if (vq::iniReplacementCount() != before)
        state.SkipWithError("an unchanged value replaced the file");
}
BENCHMARK(BM_WriteUnchangedValue)->Arg(1)->Arg(0)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_WriteNewValue(benchmark::State& state) {
    setMode(state);
    const std::string& path = bigFile().path;
    const auto before = vq::iniReplacementCount();
    long n = 0;
    for (auto _ : state) {
        std::string value = "12:34:" + std::to_string(10 + n++ % 50);
        if (!vq::ecrireini("Dernc Maison", "temps", value, path))
            state.SkipWithError("write failed");
    }
    state.counters["replacements_per_write"] = benchmark::Counter(
        static_cast<double>(vq::iniReplacementCount() - before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_WriteNewValue)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// A read right after the file changed on disk: the whole file is read and parsed again.
void BM_ReadAfterChange(benchmark::State& state) {
    setMode(state);
    const std::string& path = bigFile().path;
    for (auto _ : state) {
        vq::clearIniCache();
        benchmark::DoNotOptimize(vq::lireini("Enregistrement", "5000", path));
    }
}
BENCHMARK(BM_ReadAfterChange)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
