#include "records/record_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ini_store.h"
#include "support/fakes.h"

namespace vq {
namespace {

using Lines = std::vector<std::string>;

class RecordStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string option = dir.file("option.ini");

    std::string key(int k) { return lireini("Enregistrement", std::to_string(k), option); }
    std::string counter() { return lireini("nbdent", "n°", option); }
    Lines reloaded() {
        RecordStore again(option);
        again.load();
        return again.lines();
    }
    // A store file written by hand: the counter and the given keys.
    void writeStore(const std::string& counterText, const std::vector<std::pair<int, std::string>>& keys) {
        std::string text = "[nbdent]\nn°=" + counterText + "\n[Enregistrement]\n";
        for (const auto& [k, v] : keys)
            text += std::to_string(k) + "=" + v + "\n";
        test::writeFile(option, text);
    }
};

TEST_F(RecordStoreTest, NumbersRecordsAsTheWorkedSequenceDoes) {
    RecordStore store(option);
    store.load();
    EXPECT_TRUE(store.lines().empty());

    // A store that starts empty numbers from "1".
    ASSERT_TRUE(store.append("A"));
    ASSERT_TRUE(store.append("B"));
    ASSERT_TRUE(store.append("C"));
    EXPECT_EQ(key(0), "");
    EXPECT_EQ(key(1), "A");
    EXPECT_EQ(key(2), "B");
    EXPECT_EQ(key(3), "C");
    EXPECT_EQ(counter(), "3");
    EXPECT_EQ(store.lines(), (Lines{"A", "B", "C"}));

    // A removal renumbers from "0" and leaves one hole after the last record.
    ASSERT_TRUE(store.removeAt(1));
    EXPECT_EQ(key(0), "A");
    EXPECT_EQ(key(1), "C");
    EXPECT_EQ(key(2), "");
    EXPECT_EQ(key(3), "C");
    EXPECT_EQ(counter(), "2");
    EXPECT_EQ(store.lines(), (Lines{"A", "C"}));
    EXPECT_EQ(reloaded(), store.lines());

    ASSERT_TRUE(store.append("D"));
    EXPECT_EQ(key(3), "D");
    EXPECT_EQ(key(2), "");
    EXPECT_EQ(counter(), "3");
    EXPECT_EQ(store.lines(), (Lines{"A", "C", "D"}));

    // Position 2 lives under key "3" because of the hole before it.
    ASSERT_TRUE(store.replace(2, "E"));
    EXPECT_EQ(key(3), "E");
    EXPECT_EQ(key(2), "");
    EXPECT_EQ(counter(), "3");
    EXPECT_EQ(reloaded(), (Lines{"A", "C", "E"}));
}

TEST_F(RecordStoreTest, RetirerRemovesOnePlanAndMalformedLinesThenRewrites) {
    RecordStore store(option);
    store.load();
    const std::string a1 = makeRecordLine("01:00:00", "10:00:00", "01/12/2026", "A");
    const std::string b = makeRecordLine("00:20:00", "11:00:00", "02/12/2026", "B");
    const std::string a2 = makeRecordLine("00:05:00", "12:00:00", "03/12/2026", "A");
    const std::string a3 = makeRecordLine("00:06:00", "13:00:00", "04/12/2026", "A");
    // A plan whose name holds the separator compares by the piece before it; "AB" is not "A".
    const std::string cut = makeRecordLine("00:01:00", "14:00:00", "05/12/2026", "A     |     Z");
    const std::string longer = makeRecordLine("00:02:00", "15:00:00", "06/12/2026", "AB");
    for (const auto& l : {a1, b, a2, a3, std::string("no separator at all"), cut, longer})
        ASSERT_TRUE(store.append(l));
    EXPECT_EQ(counter(), "7");

    ASSERT_TRUE(store.retirer("A"));
    EXPECT_EQ(store.lines(), (Lines{b, longer}));
    EXPECT_EQ(key(0), b);
    EXPECT_EQ(key(1), longer);
    EXPECT_EQ(key(2), "");
    EXPECT_EQ(counter(), "2");
    // Keys above the counter keep their old lines and are never read.
    EXPECT_EQ(key(7), longer);
    EXPECT_EQ(reloaded(), store.lines());

    // The files drop the blanks around a plan name, so "B " is plan "B" and clears its records.
    ASSERT_TRUE(store.retirer("B "));
    EXPECT_EQ(store.lines(), (Lines{longer}));
    ASSERT_TRUE(store.append(b));

    // The worked sequence's last step: A, C, E with A and E of one plan leaves C under "0".
    ASSERT_TRUE(store.retirer("AB"));
    ASSERT_TRUE(store.retirer("B"));
    EXPECT_TRUE(store.lines().empty());
    EXPECT_EQ(key(0), "");
    EXPECT_EQ(counter(), "0");
    EXPECT_TRUE(reloaded().empty());
}

TEST_F(RecordStoreTest, OneBasedStoreFromDiskReplacesAndRemovesUnderTheRightKeys) {
    writeStore("3", {{1, "first"}, {2, "second"}, {3, "third"}});
    RecordStore store(option);
    store.load();
    EXPECT_EQ(store.lines(), (Lines{"first", "second", "third"}));

    // Numbered from "1", position 0 is key "1".
    ASSERT_TRUE(store.replace(0, "FIRST"));
    EXPECT_EQ(key(1), "FIRST");
    EXPECT_EQ(key(0), "");

    ASSERT_TRUE(store.removeAt(1));
    EXPECT_EQ(key(0), "FIRST");
    EXPECT_EQ(key(1), "third");
    EXPECT_EQ(key(2), "");
    EXPECT_EQ(key(3), "third");
    EXPECT_EQ(counter(), "2");

    // After the rewrite position 0 is key "0".
    ASSERT_TRUE(store.replace(0, "again"));
    EXPECT_EQ(key(0), "again");
    EXPECT_EQ(key(1), "third");

    // Positions outside the list change nothing.
    EXPECT_FALSE(store.replace(2, "x"));
    EXPECT_FALSE(store.replace(-1, "x"));
    EXPECT_FALSE(store.removeAt(2));
    EXPECT_FALSE(store.removeAt(-1));
    EXPECT_EQ(reloaded(), (Lines{"again", "third"}));
}

TEST_F(RecordStoreTest, CounterThatIsNotUsableNeverLetsAnAppendOverwriteARecord) {
    // Missing, not a whole number, beyond 16 bits, negative, or below a record: every record loads
    // and the append goes after the last one.
    for (const char* bad : {"abc", "99999", "1e9", "", "-5", "2.5", "1"}) {
        SCOPED_TRACE(bad);
        writeStore(bad, {{1, "one"}, {2, "two"}, {3, "three"}});
        RecordStore store(option);
        store.load();
        EXPECT_EQ(store.lines(), (Lines{"one", "two", "three"}));
        ASSERT_TRUE(store.append("new"));
        EXPECT_EQ(key(1), "one");
        EXPECT_EQ(key(4), "new");
        EXPECT_EQ(counter(), "4");
        EXPECT_EQ(reloaded(), (Lines{"one", "two", "three", "new"}));
    }
    // With no record at all the first one goes under "1", as in a new store.
    writeStore("-5", {});
    RecordStore store(option);
    store.load();
    ASSERT_TRUE(store.append("new"));
    EXPECT_EQ(key(1), "new");
    EXPECT_EQ(counter(), "1");
}

TEST_F(RecordStoreTest, CounterBelowTheLastKeyIsExtendedByAppend) {
    // Six filled keys with counter "5": all six load, the next record goes under "6"; an old line
    // above the hole a removal left is not read, and the append overwrites it.
    writeStore("5", {{0, "l0"}, {1, "l1"}, {2, ""}, {3, "l3"}, {4, "l4"}, {5, "l5"}, {6, "stale"}});
    RecordStore store(option);
    store.load();
    EXPECT_EQ(store.count(), 5);
    ASSERT_TRUE(store.append("l6"));
    EXPECT_EQ(key(6), "l6");
    EXPECT_EQ(counter(), "6");
    EXPECT_EQ(reloaded(), (Lines{"l0", "l1", "l3", "l4", "l5", "l6"}));

    // Holes inside the counter's range are skipped, and Replace still finds each line's key.
    writeStore("6", {{1, "a"}, {3, "b"}, {6, "c"}});
    store.load();
    EXPECT_EQ(store.lines(), (Lines{"a", "b", "c"}));
    ASSERT_TRUE(store.replace(1, "B"));
    EXPECT_EQ(key(3), "B");
    ASSERT_TRUE(store.replace(2, "C"));
    EXPECT_EQ(key(6), "C");
}

TEST_F(RecordStoreTest, RemovalFromAStoreNumberedFromZeroRenumbersOnlyWhatFollows) {
    auto rec = [](int i) { return makeRecordLine("00:0" + std::to_string(i) + ":00", "t", "d", "Q"); };
    writeStore("5", {{0, rec(0)}, {1, rec(1)}, {2, rec(2)}, {3, rec(3)}, {4, rec(4)}, {5, ""}, {6, "above"}});
    RecordStore store(option);
    store.load();
    ASSERT_TRUE(store.removeAt(2));
    EXPECT_EQ(store.lines(), (Lines{rec(0), rec(1), rec(3), rec(4)}));
    EXPECT_EQ(key(2), rec(3));
    EXPECT_EQ(key(3), rec(4));
    EXPECT_EQ(key(4), "");
    EXPECT_EQ(key(6), "above");
    EXPECT_EQ(counter(), "4");
    EXPECT_EQ(reloaded(), store.lines());

    // After an append (key 5, above the hole) the last position is no longer its own key.
    ASSERT_TRUE(store.append(makeRecordLine("a", "b", "c", "P")));
    ASSERT_TRUE(store.retirer("P"));
    EXPECT_EQ(reloaded(), (Lines{rec(0), rec(1), rec(3), rec(4)}));
    ASSERT_TRUE(store.append(rec(5)));
    ASSERT_TRUE(store.removeAt(4));
    EXPECT_EQ(reloaded(), (Lines{rec(0), rec(1), rec(3), rec(4)}));
    EXPECT_EQ(key(4), "");
    EXPECT_EQ(key(5), rec(5));
}

TEST_F(RecordStoreTest, LinesAreKeptAsTheFileGivesThemBack) {
    RecordStore store(option);
    store.load();
    EXPECT_FALSE(store.append(""));
    EXPECT_FALSE(store.append("   "));
    EXPECT_TRUE(store.lines().empty());
    EXPECT_EQ(counter(), "");

    ASSERT_TRUE(store.append("two\nlines  "));
    EXPECT_EQ(store.lines(), (Lines{"two lines"}));
    EXPECT_EQ(reloaded(), store.lines());
    EXPECT_FALSE(store.replace(0, "\n"));
    EXPECT_EQ(store.lines(), (Lines{"two lines"}));
}

TEST_F(RecordStoreTest, FailedWriteIsMadeGoodByTheNextOperation) {
    RecordStore store(option);
    store.load();
    ASSERT_TRUE(store.append("A"));

    setIniWriteFailureForTesting(true);
    EXPECT_FALSE(store.append("B"));
    EXPECT_FALSE(store.replace(0, "A2"));
    setIniWriteFailureForTesting(false);
    EXPECT_EQ(store.lines(), (Lines{"A2", "B"}));
    EXPECT_EQ(reloaded(), (Lines{"A"}));

    // The list stays the reference; the next write puts everything it holds into the file.
    ASSERT_TRUE(store.append("C"));
    EXPECT_EQ(store.lines(), (Lines{"A2", "B", "C"}));
    EXPECT_EQ(reloaded(), store.lines());
    EXPECT_EQ(counter(), "3");
    ASSERT_TRUE(store.append("D"));
    EXPECT_EQ(key(4), "D");
    EXPECT_EQ(reloaded(), (Lines{"A2", "B", "C", "D"}));
}

TEST_F(RecordStoreTest, StoreStopsAtTheLastSixteenBitKey) {
    // Counter at the last key with holes below it: the append renumbers instead of using key 32768.
    writeStore("32767", {{5, "a"}, {32767, "b"}});
    RecordStore store(option);
    store.load();
    ASSERT_EQ(store.lines(), (Lines{"a", "b"}));
    ASSERT_TRUE(store.append("c"));
    EXPECT_EQ(key(0), "a");
    EXPECT_EQ(key(1), "b");
    EXPECT_EQ(key(2), "c");
    EXPECT_EQ(key(3), "");
    EXPECT_EQ(counter(), "3");
    EXPECT_EQ(key(32768), "");

    // A full store refuses more records and keeps what it has.
    std::string text = "[nbdent]\nn°=32767\n[Enregistrement]\n";
    for (int k = 1; k <= 32767; ++k)
        text += std::to_string(k) + "=r" + std::to_string(k) + "\n";
    test::writeFile(option, text);
    store.load();
    ASSERT_EQ(store.count(), 32767);
    EXPECT_FALSE(store.append("one too many"));
    EXPECT_EQ(store.count(), 32767);
    EXPECT_EQ(counter(), "32767");
    EXPECT_EQ(key(32767), "r32767");
}

TEST_F(RecordStoreTest, EveryOperationTellsTheListener) {
    RecordStore store(option);
    int calls = 0;
    store.changed = [&] { ++calls; };
    store.load();
    store.append("A");
    store.append("B");
    store.replace(0, "C");
    store.removeAt(0);
    store.retirer("x");
    EXPECT_EQ(calls, 6);
}

TEST(RecordLineTest, SplitsAtEverySeparator) {
    const std::string line = makeRecordLine("00:42:17", "20:13:05", "08/12/2026", "Soir");
    EXPECT_EQ(line, "00:42:17     |     20:13:05     |     08/12/2026     |     Soir");
    EXPECT_EQ(splitRecordLine(line), (Lines{"00:42:17", "20:13:05", "08/12/2026", "Soir"}));
    EXPECT_EQ(splitRecordLine("no separator"), (Lines{"no separator"}));
    EXPECT_EQ(splitRecordLine(makeRecordLine("a", "", "c", "p     |     q")),
              (Lines{"a", "", "c", "p", "q"}));
    // Four blanks and a bar are not a separator.
    EXPECT_EQ(splitRecordLine("a    |     b").size(), 1u);
}

}  // namespace
}  // namespace vq
