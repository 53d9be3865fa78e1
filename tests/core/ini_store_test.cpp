#include "core/ini_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/fakes.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vq {
namespace {

using test::readFile;
using test::TempDir;
using test::utf16leFile;
using test::writeFile;

namespace fs = std::filesystem;
using namespace std::string_literals;

// Every test runs twice: with the system's change notifications, and comparing file stamps on
// each call as on systems without them.
class IniStore : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { setIniChangeWatchForTesting(GetParam()); }
    void TearDown() override {
        setIniWriteFailureForTesting(false);
        setIniChangeWatchForTesting(true);
    }
    TempDir dir;
    std::string path = dir.file("option.ini");
};

INSTANTIATE_TEST_SUITE_P(Modes, IniStore, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Notified" : "Stamped"; });

std::size_t entryCount(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder))
        ++n;
    return n;
}

TEST_P(IniStore, CreatesFileSectionAndKeyAndFindsThemAgainCaseBlind) {
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "");
    EXPECT_FALSE(fs::exists(path));

    ASSERT_TRUE(ecrireini("plantage", "tempspassé", "00:12:30", path));
    EXPECT_EQ(readFile(path), "[plantage]\ntempspassé=00:12:30\n");
    ASSERT_TRUE(ecrireini("nbdent", "n°", "42", path));
    ASSERT_TRUE(ecrireini("plantage", "ouinon", "2", path));
    EXPECT_EQ(readFile(path), "[plantage]\ntempspassé=00:12:30\nouinon=2\n[nbdent]\nn°=42\n");

    EXPECT_EQ(lireini("plantage", "tempspassé", path), "00:12:30");
    EXPECT_EQ(lireini("PLANTAGE", "TEMPSPASSÉ", path), "00:12:30");
    EXPECT_EQ(lireini("NbDent", "N°", path), "42");
    EXPECT_EQ(lireini("plantage", "tempspasse", path), "");  // é is not e
    EXPECT_EQ(lireini("plantage", "absent", path), "");
    EXPECT_EQ(lireini("absent", "ouinon", path), "");

    // A write under another spelling edits the same line and keeps the file's spelling.
    ASSERT_TRUE(ecrireini("PLANTAGE", "TempsPassÉ", "01:00:00", path));
    EXPECT_EQ(readFile(path), "[plantage]\ntempspassé=01:00:00\nouinon=2\n[nbdent]\nn°=42\n");
}

TEST_P(IniStore, WriteChangesOnlyTheLineOfItsKey) {
    const std::string before =
        "; réglages\r\n"
        "[Typeconex]\r\n"
        "  Forfait = Maison ; pas un commentaire\r\n"
        "Version=3\r\n"
        "\r\n"
        "; fin\r\n"
        "[Dernc Maison]\r\n"
        "temps=01:00:00\r\n"
        "[typeconex]\r\n"
        "Forfait=second\r\n"
        "lignesansegal\r\n"
        "[Forfaits]\r\n"
        "Maison=20/0,12/0,02/1";  // no line break at the end
    writeFile(path, before);

    ASSERT_TRUE(ecrireini("typeconex", "forfait", "Bureau", path));
    std::string expected = before;
    expected.replace(expected.find("Maison ; pas"), std::string("Maison ; pas un commentaire").size(),
                     "Bureau");
    EXPECT_EQ(readFile(path), expected);

    // A new key goes after the last key line of the first section of that name, a new section at
    // the end; both use the file's own line ending.
    ASSERT_TRUE(ecrireini("Typeconex", "Date", "08/12/2026", path));
    expected.insert(expected.find("\r\n\r\n; fin") + 2, "Date=08/12/2026\r\n");
    EXPECT_EQ(readFile(path), expected);
    ASSERT_TRUE(ecrireini("Forfaits", "Bureau", "0/0/0", path));
    expected += "\r\nBureau=0/0/0\r\n";
    EXPECT_EQ(readFile(path), expected);
    ASSERT_TRUE(ecrireini("Dernc Bureau", "avf", "20:00:00", path));
    expected += "[Dernc Bureau]\r\navf=20:00:00\r\n";
    EXPECT_EQ(readFile(path), expected);

    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "Bureau");
    EXPECT_EQ(lireini("typeconex", "Date", path), "08/12/2026");
    EXPECT_EQ(lireini("Forfaits", "Maison", path), "20/0,12/0,02/1");

    // A value starting with a blank does not grow the line at each write.
    ASSERT_TRUE(ecrireini("Dernc Maison", "temps", " 02:00:00", path));
    const std::string once = readFile(path);
    ASSERT_TRUE(ecrireini("Dernc Maison", "temps", " 02:00:00", path));
    EXPECT_EQ(readFile(path), once);
    EXPECT_NE(once.find("\r\ntemps= 02:00:00\r\n"), std::string::npos);
}

TEST_P(IniStore, ReadingRules) {
    const std::string longValue = std::string(250, 'a') + "éééééé";  // 256 characters, 262 bytes
    writeFile(path,
              "orphan=before any section\n"
              "\t[ Enregistrement ]  \r\r\n\n"
              "0 \t=\t 00:42:17     |     20:13:05     |     08/12/2026     |     Soir  \r"
              "eq=a=b;c#d[e]f\n"
              "#hash=not a comment\n"
              ";semi=a comment\n"
              "  ;indented=also a comment\n"
              "dq=\"  quoted  \"\n"
              "sq='x'\n"
              "one=\"open\n"
              "mixed=\"x'\n"
              "lone=\"\n"
              "empty=\n"
              "long=" +
                  longValue +
                  "\n"
                  "nothing here\n"
                  "eq=second\n"
                  "[broken\n"
                  "hidden=1\n"
                  "[Section]]x]\n"
                  "k=v\n"
                  "[enregistrement]\n"
                  "late=1\n");

    const std::string sec = "Enregistrement";
    EXPECT_EQ(lireini(sec, "0", path), "00:42:17     |     20:13:05     |     08/12/2026     |     Soir");
    EXPECT_EQ(lireini(sec, "eq", path), "a=b;c#d[e]f");
    EXPECT_EQ(lireini(sec, "#hash", path), "not a comment");
    EXPECT_EQ(lireini(sec, ";semi", path), "");
    EXPECT_EQ(lireini(sec, "dq", path), "  quoted  ");
    EXPECT_EQ(lireini(sec, "sq", path), "x");
    EXPECT_EQ(lireini(sec, "one", path), "\"open");
    EXPECT_EQ(lireini(sec, "mixed", path), "\"x'");
    EXPECT_EQ(lireini(sec, "lone", path), "\"");
    EXPECT_EQ(lireini(sec, "empty", path), "");
    EXPECT_EQ(lireini(sec, "long", path), std::string(250, 'a') + "éééé");
    EXPECT_EQ(lireini(sec, "late", path), "");  // only the first section of a name is read
    EXPECT_EQ(lireini(sec, "hidden", path), "");
    EXPECT_EQ(lireini("broken", "hidden", path), "");
    EXPECT_EQ(lireini("", "orphan", path), "");
    EXPECT_EQ(lireini("Section]]x", "k", path), "v");

    // A duplicate key is written where it is read: on its first line.
    ASSERT_TRUE(ecrireini(sec, "EQ", "new", path));
    EXPECT_EQ(lireini(sec, "eq", path), "new");
    EXPECT_NE(readFile(path).find("\neq=second\n"), std::string::npos);

    // Values written longer than the cut are stored whole but read back cut.
    ASSERT_TRUE(ecrireini("x", "y", std::string(300, 'z'), path));
    EXPECT_EQ(lireini("x", "y", path), std::string(254, 'z'));

    // Blanks of every kind and the end-of-file character around a line, a name and a value; a NUL
    // ends the name or value it is in.
    const std::string windows = dir.file("windows.ini");
    writeFile(windows,
              "\v[Top\0 junk]\x1A\r\n"
              "\f vt \v=\t\x1A padded \f\v\r\n"
              "nul\0junk=value\0tail\r\n"
              "quoted=\"x \"\0tail\r\n"
              "eof=last\x1A"s);
    EXPECT_EQ(lireini("Top", "vt", windows), "padded");
    EXPECT_EQ(lireini("Top", "nul", windows), "value");
    EXPECT_EQ(lireini("Top", "quoted", windows), "x ");
    EXPECT_EQ(lireini("Top", "eof", windows), "last");
    ASSERT_TRUE(ecrireini("top", "NUL", "new", windows));
    ASSERT_TRUE(ecrireini("Top", "added", "1", windows));
    EXPECT_EQ(readFile(windows),
              "\v[Top\0 junk]\x1A\r\n\f vt \v=\t\x1A padded \f\v\r\nnul\0junk=new\r\n"
              "quoted=\"x \"\0tail\r\neof=last\x1A\r\nadded=1\r\n"s);
    EXPECT_EQ(lireini("Top", "nul", windows), "new");
}

TEST_P(IniStore, RefusesNamesAndValuesThatWouldBreakTheFile) {
    ASSERT_TRUE(ecrireini("Typeconex", "Forfait", "Maison", path));
    const std::string before = readFile(path);
    const struct {
        std::string section, key, value;
    } refused[] = {
        {"Type\nconex", "Forfait", "x"},
        {"Typeconex", "For\rfait", "x"},
        {"Typeconex", "Forfait", "a\nb"},
        {"a]b", "k", "x"},
        {"Typeconex", "a=b", "x"},
        {"Typeconex", ";k", "x"},
        {"Typeconex", " [k", "x"},
        {"Typeconex", "", "x"},
        {"Typeconex", "  ", "x"},
        {"Typeconex", "k", "\xE9t\xE9"},  // not UTF-8
        {"Typeconex", "k", std::string("a\0b", 3)},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(iniNamesStorable(r.section, r.key) && iniValueStorable(r.value)) << r.key;
        EXPECT_FALSE(ecrireini(r.section, r.key, r.value, path)) << r.section << "/" << r.key;
        IniBatch batch(path);
        batch.set("Typeconex", "Version", "9");
        batch.set(r.section, r.key, r.value);
        EXPECT_FALSE(batch.commit());
    }
    EXPECT_EQ(readFile(path), before);

    EXPECT_TRUE(iniNamesStorable("Dernc [Maison", "n°"));
    EXPECT_FALSE(iniNamesStorable("Forfaits", "k]="));
    EXPECT_TRUE(iniValueStorable("00:42:17     |     20:13:05     |     08/12/2026     |     Soir"));
    for (std::string v : {std::string(" a"), std::string("a\t"), std::string("\va"), std::string("a\x1A"),
                          std::string("\"a\""), std::string("'a'"), std::string(255, 'a')})
        EXPECT_FALSE(iniValueStorable(v)) << v;
    EXPECT_TRUE(iniValueStorable("\"a'"));
    EXPECT_TRUE(iniValueStorable(std::string(254, 'a')));
}

TEST_P(IniStore, FileNamesAreMatchedWithoutRegardToCase) {
    ASSERT_TRUE(ecrireini("Typeconex", "Forfait", "Maison", dir.file("Option.ini")));
    EXPECT_EQ(lireini("Typeconex", "Forfait", dir.file("option.ini")), "Maison");
    ASSERT_TRUE(ecrireini("Typeconex", "Version", "3", dir.file("OPTION.INI")));
    EXPECT_EQ(entryCount(dir.path()), 1u);
    EXPECT_EQ(resolveIniPath(dir.file("option.ini")), dir.file("Option.ini"));
    EXPECT_EQ(resolveIniPath(dir.file("tempo.ini")), dir.file("tempo.ini"));

#ifndef _WIN32
    // Two files whose names differ only by case: every spelling names the first in byte order.
    writeFile(dir.file("option.ini"), "[Typeconex]\nForfait=lower\n");
    for (const char* spelling : {"option.ini", "Option.ini", "OPTION.ini"})
        EXPECT_EQ(lireini("Typeconex", "Forfait", dir.file(spelling)), "Maison") << spelling;
    fs::remove(dir.file("Option.ini"));
    EXPECT_EQ(lireini("Typeconex", "Forfait", dir.file("Option.ini")), "lower");
    EXPECT_EQ(resolveIniPath(dir.file("OPTION.INI")), dir.file("option.ini"));
#endif
}

TEST_P(IniStore, WindowsFilesKeepTheirEncodingAndLineEnds) {
    // As written by the Windows version: Windows-1252 and CRLF.
    const std::string before =
        "[plantage]\r\ntempspass\xE9=00:10:00\r\nheuredep=caf\xE9 \x80\r\n[nbdent]\r\nn\xB0=7\r\n";
    writeFile(path, before);
    EXPECT_EQ(lireini("plantage", "tempspassé", path), "00:10:00");
    EXPECT_EQ(lireini("PLANTAGE", "TEMPSPASSÉ", path), "00:10:00");
    EXPECT_EQ(lireini("plantage", "heuredep", path), "café €");
    EXPECT_EQ(lireini("nbdent", "n°", path), "7");

    ASSERT_TRUE(ecrireini("nbdent", "n°", "8", path));
    ASSERT_TRUE(ecrireini("plantage", "tempspassé", "Noël à 20 €", path));
    ASSERT_TRUE(ecrireini("Dernc Élan", "prix", "1,5", path));
    EXPECT_EQ(
        readFile(path),
        "[plantage]\r\ntempspass\xE9=No\xEBl \xE0 20 \x80\r\nheuredep=caf\xE9 \x80\r\n[nbdent]\r\nn\xB0=8\r\n"
        "[Dernc \xC9lan]\r\nprix=1,5\r\n");
    EXPECT_EQ(lireini("dernc élan", "prix", path), "1,5");

    // A character that Windows-1252 lacks: the file goes over to UTF-8 as a whole, so that every
    // value, old and new, reads back as written.
    ASSERT_TRUE(ecrireini("plantage", "date", "Łódź", path));
    EXPECT_EQ(readFile(path),
              "[plantage]\r\ntempspassé=Noël à 20 €\r\nheuredep=café €\r\ndate=Łódź\r\n[nbdent]\r\nn°=8\r\n"
              "[Dernc Élan]\r\nprix=1,5\r\n");
    EXPECT_EQ(lireini("plantage", "date", path), "Łódź");
    EXPECT_EQ(lireini("plantage", "tempspassé", path), "Noël à 20 €");

    // Windows-1252 bytes that would pass for UTF-8 ("é–’" is E9 96 92, the UTF-8 of "閒"): the
    // file goes over to UTF-8 too, each line as it read ("n°" is UTF-8 already; a lone CR ends a line).
    writeFile(path, "[Typeconex]\rForfait=caf\xE9\rn°=1\rDossier=th\xE8mes\r");
    ASSERT_TRUE(ecrireini("Typeconex", "Forfait", "é–’", path));
    ASSERT_TRUE(ecrireini("a", "Kê–’c", "nu", path));
    EXPECT_EQ(readFile(path), "[Typeconex]\rForfait=é–’\rn°=1\rDossier=thèmes\r[a]\rKê–’c=nu\r");
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "é–’");
    EXPECT_EQ(lireini("a", "Kê–’c", path), "nu");

    // UTF-16LE, as some Windows editors save: read, and written back as UTF-8 without loss.
    writeFile(path,
              utf16leFile(u"[plantage]\r\ntempspassé=00:10:00\r\nheuredep=Łódź € 𝄞\r\n[nbdent]\r\nn°=7\r\n"));
    EXPECT_EQ(lireini("PLANTAGE", "TempsPassÉ", path), "00:10:00");
    EXPECT_EQ(lireini("plantage", "heuredep", path), "Łódź € 𝄞");
    ASSERT_TRUE(ecrireini("nbdent", "n°", "7", path));  // unchanged: the file stays as it is
    EXPECT_EQ(readFile(path).substr(0, 4), "\xFF\xFE[\0"s);
    ASSERT_TRUE(ecrireini("nbdent", "n°", "8", path));
    EXPECT_EQ(readFile(path),
              "[plantage]\r\ntempspassé=00:10:00\r\nheuredep=Łódź € 𝄞\r\n[nbdent]\r\nn°=8\r\n");
}

TEST_P(IniStore, UnchangedValuesAreNotWrittenAndBatchesAreOneReplacement) {
    writeFile(path, "[Dernc Maison]\ntemps=01:00:00\navf=19:00:00\nprix=0\n");
    auto before = fs::last_write_time(path);
    const std::uint64_t start = iniReplacementCount();

    EXPECT_TRUE(ecrireini("Dernc Maison", "temps", "01:00:00", path));
    IniBatch same(path);
    same.set("Dernc Maison", "avf", "19:00:00");
    same.set("dernc maison", "PRIX", "0");
    EXPECT_TRUE(same.commit());
    EXPECT_EQ(iniReplacementCount(), start);
    EXPECT_EQ(fs::last_write_time(path), before);

    IniBatch batch(path);
    batch.set("Dernc Maison", "temps", "02:00:00");
    batch.set("Dernc Maison", "avf", "18:00:00");
    batch.set("Dernc Maison", "prix", "0,5");
    batch.set("Dernc Maison", "forfaitdep", "1");
    batch.set("Dernc Maison", "temps", "03:00:00");  // the last write of a key wins
    batch.set("Typeconex", "Forfait", "Maison");
    ASSERT_TRUE(batch.commit());
    EXPECT_EQ(iniReplacementCount(), start + 1);
    EXPECT_EQ(readFile(path),
              "[Dernc "
              "Maison]\ntemps=03:00:00\navf=18:00:00\nprix=0,5\nforfaitdep=1\n[Typeconex]\nForfait=Maison\n");
    EXPECT_TRUE(batch.commit());  // nothing left to write
    EXPECT_EQ(iniReplacementCount(), start + 1);

    ASSERT_TRUE(ecrireini("Dernc Maison", "prix", "0,75", path));
    EXPECT_EQ(iniReplacementCount(), start + 2);

    // Deferred flushes: the file is replaced at once every time, but waits for the disk only on its
    // first such replacement, once the span has passed, and on every plain write.
    const std::uint64_t flushed = iniFlushCount();
    IniBatch figures(path);
    auto deferred = [&](const char* length, std::chrono::milliseconds span) {
        figures.set("plantage", "tempspassé", length);
        return figures.commitDeferringFlush(span);
    };
    ASSERT_TRUE(deferred("00:00:01", std::chrono::hours(1)));
    EXPECT_EQ(iniFlushCount(), flushed + 1);
    ASSERT_TRUE(deferred("00:00:02", std::chrono::hours(1)));
    EXPECT_EQ(iniFlushCount(), flushed + 1);
    EXPECT_EQ(iniReplacementCount(), start + 4);
    EXPECT_NE(readFile(path).find("[plantage]\ntempspassé=00:00:02\n"), std::string::npos);
    ASSERT_TRUE(ecrireini("Dernc Maison", "prix", "1", path));
    EXPECT_EQ(iniFlushCount(), flushed + 2);
    ASSERT_TRUE(deferred("00:00:03", std::chrono::hours(1)));
    EXPECT_EQ(iniFlushCount(), flushed + 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_TRUE(deferred("00:00:04", std::chrono::milliseconds(20)));
    EXPECT_EQ(iniFlushCount(), flushed + 3);
    EXPECT_EQ(lireini("plantage", "tempspassé", path), "00:00:04");

#ifdef __linux__
    // A file written every second is swapped with a spare copy beside it: it keeps the permissions
    // it is given, every write lands whole, a failed one leaves it as it was, and the folder holds
    // nothing else.
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, mode);
    ASSERT_TRUE(deferred("00:00:05", std::chrono::hours(1)));
    ASSERT_TRUE(ecrireini("Dernc Maison", "prix", "2", path));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, mode);
    EXPECT_TRUE(fs::exists(dir.file(".option.ini.vqtmp.spare")));
    EXPECT_EQ(entryCount(dir.path()), 2u);
    const std::string whole = readFile(path);
    EXPECT_NE(whole.find("tempspassé=00:00:05\n"), std::string::npos);
    EXPECT_NE(whole.find("prix=2\n"), std::string::npos);
    setIniWriteFailureForTesting(true);
    EXPECT_FALSE(deferred("00:00:06", std::chrono::hours(1)));
    setIniWriteFailureForTesting(false);
    EXPECT_EQ(readFile(path), whole);
    EXPECT_EQ(lireini("plantage", "tempspassé", path), "00:00:05");
#endif
}

TEST_P(IniStore, FailedWritesLeaveTheOldFileWhole) {
    ASSERT_TRUE(ecrireini("Typeconex", "Forfait", "Maison", path));
    const std::string before = readFile(path);

    setIniWriteFailureForTesting(true);
    EXPECT_FALSE(ecrireini("Typeconex", "Forfait", "Bureau", path));
    IniBatch batch(path);
    batch.set("Typeconex", "Version", "4");
    EXPECT_FALSE(batch.commit());
    EXPECT_FALSE(ecrireini("Typeconex", "Forfait", "x", dir.file("tempo.ini")));
    setIniWriteFailureForTesting(false);

    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "Maison");
    EXPECT_EQ(entryCount(dir.path()), 1u);  // no temporary file left behind
    EXPECT_TRUE(batch.commit());            // the failed batch kept its values
    EXPECT_EQ(lireini("Typeconex", "Version", path), "4");

    const std::string nowhere = dir.file("missing/option.ini");
    EXPECT_FALSE(ecrireini("Typeconex", "Forfait", "x", nowhere));
    EXPECT_EQ(lireini("Typeconex", "Forfait", nowhere), "");
    fs::create_directory(dir.file("folder.ini"));
    EXPECT_FALSE(ecrireini("a", "b", "c", dir.file("folder.ini")));
    EXPECT_EQ(lireini("a", "b", dir.file("folder.ini")), "");
#ifndef _WIN32
    ASSERT_EQ(mkfifo(dir.file("pipe.ini").c_str(), 0600), 0);  // never opened, so nothing blocks
    EXPECT_EQ(lireini("a", "b", dir.file("pipe.ini")), "");
    EXPECT_FALSE(ecrireini("a", "b", "c", dir.file("pipe.ini")));
#endif
}

#ifndef _WIN32
// Sets a file's times to exactly those of an earlier state, as a second change within the
// timestamp's granularity would leave them.
void setTimes(const std::string& path, const struct stat& st) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}
#endif

TEST_P(IniStore, SeesChangesMadeByOthers) {
    writeFile(path, "[Typeconex]\nForfait=AAAA\n");
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "AAAA");

#ifndef _WIN32
    // Rewritten in place: same size, same modification time.
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    writeFile(path, "[Typeconex]\nForfait=BBBB\n");
    setTimes(path, st);
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "BBBB");
    writeFile(path, "[Typeconex]\nForfait=CCCC\n");
    setTimes(path, st);
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "CCCC");
#endif

    // Replaced by renaming another file over it.
    writeFile(dir.file("other"), "[Typeconex]\nForfait=Renamed\n");
    fs::rename(dir.file("other"), path);
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "Renamed");

    // A snapshot is one state of the file: it keeps it while the file changes.
    const IniSnapshot before = iniSnapshot(path);
    writeFile(path, "[Typeconex]\nForfait=Later\n");
    EXPECT_EQ(before.valueOfFolded("typeconex", "forfait"), "Renamed");
    EXPECT_EQ(iniSnapshot(path).valueOfFolded("typeconex", "forfait"), "Later");
    EXPECT_EQ(iniSnapshot(dir.file("absent.ini")).valueOfFolded("typeconex", "forfait"), "");

    // Our own write after an outside change builds on the outside content.
    writeFile(path, "[Typeconex]\nForfait=Outside\nVersion=2\n");
    ASSERT_TRUE(ecrireini("Typeconex", "Date", "08/12/2026", path));
    EXPECT_EQ(readFile(path), "[Typeconex]\nForfait=Outside\nVersion=2\nDate=08/12/2026\n");

    fs::remove(path);
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "");
    writeFile(dir.file("OPTION.INI"), "[Typeconex]\nForfait=Upper\n");
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "Upper");
}

// Random writes under random spellings: every value reads back as last written, every other value
// stays, and a fresh parse of the file agrees with what the cached copy says.
TEST_P(IniStore, RandomWritesKeepEveryOtherValue) {
    writeFile(path,
              "; options\r\n[Typeconex]\r\nForfait=Maison\r\n\r\n[Dernc Maison]\r\ntemps = 01:00:00\r\n"
              "[nbdent]\r\nn°=2\r\n[typeconex]\r\nForfait=hidden\r\n");
    const std::vector<std::string> sections = {"Typeconex", "Dernc Maison", "nbdent", "Enregistrement",
                                               "plantage"};
    const std::vector<std::string> keys = {"Forfait", "temps", "n°", "0", "1", "tempspassé", "Version"};
    auto respell = [](std::string s, unsigned bits) {
        for (std::size_t i = 0; i < s.size(); ++i, bits >>= 1)
            if ((bits & 1) && s[i] >= 'a' && s[i] <= 'z')
                s[i] = static_cast<char>(s[i] - 32);
        if (bits & 1)  // é -> É
            for (std::size_t i = s.find("é"); i != std::string::npos; i = s.find("é", i))
                s.replace(i, 2, "É");
        return s;
    };
    std::map<std::pair<std::string, std::string>, std::string> model;
    for (const auto& sec : sections)
        for (const auto& key : keys)
            model[{sec, key}] = lireini(sec, key, path);
    EXPECT_EQ((model[{"Typeconex", "Forfait"}]), "Maison");

    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"a", "b", "9", ":", "|",  "=", ";",
                                             "#", "[", "]", "é", "\"", "'", " "};
    for (int round = 0; round < 120; ++round) {
        const std::string& sec = sections[random() % sections.size()];
        const std::string& key = keys[random() % keys.size()];
        std::string value = "v";
        for (int n = random() % 12; n > 0; --n)
            value += pieces[random() % pieces.size()];
        value += 'z';
        ASSERT_TRUE(iniValueStorable(value)) << value;
        ASSERT_TRUE(ecrireini(respell(sec, random()), respell(key, random()), value, path));
        model[{sec, key}] = value;
        if (round % 30 == 29)
            clearIniCache();
        for (const auto& [where, expected] : model)
            ASSERT_EQ(lireini(where.first, where.second, path), expected)
                << "round " << round << ": " << where.first << "/" << where.second;
    }
    const std::string text = readFile(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
    EXPECT_EQ(text.find("\n\r"), text.find("\r\n\r\n[Dernc") + 1);  // the one blank line stays
    EXPECT_EQ(text.rfind("; options\r\n", 0), 0u);
    EXPECT_NE(text.find("Forfait=hidden\r\n"), std::string::npos);
}

#ifndef _WIN32
TEST_P(IniStore, WritesThroughASymbolicLink) {
    TempDir elsewhere;
    const std::string target = elsewhere.file("real.ini");
    writeFile(target, "[Typeconex]\nForfait=Maison\n");
    fs::create_symlink(target, path);

    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "Maison");
    ASSERT_TRUE(ecrireini("Typeconex", "Forfait", "Bureau", path));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(readFile(target), "[Typeconex]\nForfait=Bureau\n");

    // The target's folder is not ours to watch: its changes are still seen through the link.
    writeFile(target, "[Typeconex]\nForfait=Outside\n");
    EXPECT_EQ(lireini("Typeconex", "Forfait", path), "Outside");
}
#endif

}  // namespace
}  // namespace vq
