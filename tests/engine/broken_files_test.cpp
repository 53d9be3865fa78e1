// Hand-broken "option.ini" and "tempo.ini": the program starts on each, counts and closes a
// connection, and writes the files again without losing a record that could still be read.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/ini_store.h"
#include "support/engine_fixture.h"

namespace vq::test {
namespace {

std::string record(const std::string& length, const std::string& start) {
    return length + kSep + start + kSep + "01/12/2026" + kSep + "Maison";
}

// A plan with its totals, as the settings panel saves it.
const std::string kPlan =
    "[Typeconex]\nForfait=Maison\nVersion=0\n"
    "[Forfaits]\nMaison=/1/0/0/0/0/20/00:00:00/00:00:00\n"
    "[Dernc Maison]\ntemps=01:00:00\navf=19:00:00\nprix=0\nforfaitdep=2\n";

std::string records(const std::string& counter) {
    return "[nbdent]\nn°=" + counter + "\n[Enregistrement]\n1=" + record("00:10:00", "09:00:00") +
           "\n2=" + record("00:20:00", "10:00:00") + "\n3=" + record("00:30:00", "11:00:00") + "\n";
}

std::string garbage(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng() % 256);
    return bytes;
}

const std::string kGoodTempo =
    "[plantage]\nouinon=1\ntempspassé=00:01:00\ntempstotal=01:01:00\ntempsrestant=18:59:00\n"
    "date=01/12/2026\nheuredep=08:00:00\nprix=0\n";

struct Case {
    const char* name;
    std::string option;
    std::string tempo;
    std::size_t readable = 3;  // records the loader finds in it
};

std::vector<Case> corpus() {
    const std::string full = kPlan + records("3");
    std::string hugeLine(1 << 20, 'A');
    return {
        {"truncated in the middle of a record line", full.substr(0, full.size() - 20), kGoodTempo},
        {"truncated in a section header",
         kPlan + "[Enregistrement]\n1=" + record("00:10:00", "09:00:00") + "\n[nbd", kGoodTempo, 1},
        {"binary garbage between sections", kPlan + garbage(4096, 7) + "\n" + records("3"), kGoodTempo},
        {"binary garbage after the records", full + garbage(4096, 11), kGoodTempo},
        {"NUL bytes inside a record", kPlan + records("3").replace(40, 1, std::string(3, '\0')), kGoodTempo},
        {"a line of one megabyte", kPlan + hugeLine + "\n" + records("3"), kGoodTempo},
        {"a record of one megabyte", full + "4=" + hugeLine + "\n", kGoodTempo, 4},
        {"counter -5", kPlan + records("-5"), kGoodTempo},
        {"counter abc", kPlan + records("abc"), kGoodTempo},
        {"counter 99999", kPlan + records("99999"), kGoodTempo},
        {"counter empty", kPlan + records(""), kGoodTempo},
        {"a truncated UTF-8 sequence in a record", full + "4=00:01:00" + kSep + "12:00:00" + kSep + "\xC3",
         kGoodTempo, 4},
        {"a truncated UTF-8 sequence in a key", kPlan + records("3") + "n\xC2=9\n", kGoodTempo},
        {"flag 2 with garbage figures", full,
         "[plantage]\nouinon=2\ntempspassé=abc\ntempstotal=25:99:99\ntempsrestant=\xff\xfe\ndate=\x01\n"
         "heuredep=99:99:99\nprix=NaN\n"},
        {"flag 2 with truncated figures", full, "[plantage]\nouinon=2\ntempspassé=00:42:10\ntempstotal=01:4"},
        {"state file of binary garbage", full, garbage(2048, 3)},
        {"state file truncated in its section header", full, "[planta"},
    };
}

TEST(BrokenFilesTest, StartCountAndCloseKeepEveryReadableRecord) {
    for (const Case& c : corpus()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string option = dir.file("option.ini"), tempo = dir.file("tempo.ini");
        writeFile(option, c.option);
        writeFile(tempo, c.tempo);
        clearIniCache();
        RecordStore before(option);
        before.load();
        const std::vector<std::string> readable = before.lines();
        EXPECT_EQ(readable.size(), c.readable);
        EXPECT_EQ(lireini("Dernc Maison", "temps", option), "01:00:00");

        FakeClock clock;
        FakeDialogs dialogs;
        ScriptedSource source;
        RecordStore store(option);
        MainState state;
        Engine engine{state, Engine::Deps{clock, source, dialogs, store, nullptr, nullptr}, dir.path()};
        store.load();
        engine.formLoad();
        EXPECT_EQ(lireini("plantage", "ouinon", tempo), "1");
        source.connected = true;
        clock.time = TimeOfDay{20, 0, 0};
        for (int i = 0; i < 12; ++i) {
            engine.timer2Tick();
            engine.timer1Tick();
            clock.advance(1);
        }
        source.connected = false;
        engine.timer2Tick();

        clearIniCache();
        RecordStore after(option);
        after.load();
        ASSERT_EQ(after.count(), static_cast<int>(readable.size()) + 1);
        EXPECT_TRUE(std::equal(readable.begin(), readable.end(), after.lines().begin()));
        EXPECT_EQ(after.lines().back(),
                  "00:00:11" + kSep + "20:00:00" + kSep + "08/12/2026" + kSep + "Maison");
        EXPECT_EQ(lireini("Dernc Maison", "temps", option), "01:00:11");
        EXPECT_EQ(lireini("plantage", "ouinon", tempo), "1");
        EXPECT_EQ(lireini("Typeconex", "Forfait", option), "Maison");
    }
}

}  // namespace
}  // namespace vq::test
