#include "skins/skin_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/ini_store.h"
#include "support/fakes.h"

namespace vq {
namespace {

using test::FakeDialogs;
using test::FakeLauncher;
using test::TempDir;
using test::writeFile;

// The program's file in its folder, as the installer names it.
#ifdef _WIN32
constexpr const char* kProgramFile = "/Varlotte.exe";
#else
constexpr const char* kProgramFile = "/Varlotte";
#endif

void touch(const TempDir& dir, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        writeFile(dir.file(n), "x");
    }
}

TEST(SkinFolder, VerdictNeedsBothLayoutsAndEachFaceInOneForm) {
    {
        TempDir dir;
        touch(dir, {"fichier1.ini", "fichier2.ini", "image1.bmp", "image2.gif", "image3.gif"});
        EXPECT_EQ(skinVerdict(dir.path()), "Valable: oui");
        // A drive root or any folder written with its trailing separator finds the same files.
        EXPECT_EQ(skinVerdict(dir.path() + "/"), "Valable: oui");
    }
    {
        TempDir dir;
        touch(dir, {"fichier1.ini", "fichier2.ini", "image1.gif", "image2.gif"});
        EXPECT_EQ(skinVerdict(dir.path()), "Valable: non");
        touch(dir, {"image3.jpg"});
        EXPECT_EQ(skinVerdict(dir.path()), "Valable: non");
        touch(dir, {"image3.bmp"});
        EXPECT_EQ(skinVerdict(dir.path()), "Valable: oui");
    }
    {
        TempDir dir;
        touch(dir, {"fichier1.ini", "image1.gif", "image1.bmp", "image2.gif", "image2.bmp", "image3.gif",
                    "image3.bmp"});
        EXPECT_EQ(skinVerdict(dir.path()), "Valable: non");
        // A folder named like a file does not count as the file.
        std::filesystem::create_directory(dir.file("fichier2.ini"));
        EXPECT_EQ(skinVerdict(dir.path()), "Valable: non");
    }
    EXPECT_EQ(skinVerdict(""), "Valable: non");
    EXPECT_EQ(skinVerdict("/no/such/folder"), "Valable: non");
}

TEST(SkinFolder, FileNamesMatchWithoutRegardToCase) {
    TempDir dir;
    touch(dir, {"Fichier1.INI", "FICHIER2.ini", "Image1.Gif", "IMAGE2.BMP", "image3.GIF"});
    EXPECT_EQ(skinVerdict(dir.path()), "Valable: oui");
    // The path found names the file on disk (under any spelling where names are case-blind).
    for (const std::string& folder : {dir.path(), dir.path() + "/"}) {
        const auto found = findSkinFile(folder, "image2.bmp");
        ASSERT_TRUE(found);
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::equivalent(*found, dir.file("IMAGE2.BMP"), ec)) << *found;
    }
    EXPECT_FALSE(findSkinFile(dir.path(), "image2.gif"));
}

TEST(SkinFolder, EmptyDossierMeansOneOfDataAndProgramFolderNeverBoth) {
    TempDir data, program, chosen;
    const std::string option = data.file("option.ini");
    const std::vector<std::string> inData{data.path()}, inProgram{program.path()};
    EXPECT_EQ(skinFolders(option, data.path(), program.path()), inData);
    EXPECT_EQ(skinFolders(option, data.path(), data.path()), inData);

    // A stray picture in the data folder does not mix with the program folder's complete skin.
    touch(program, {"fichier1.ini", "fichier2.ini", "image1.bmp", "image2.gif", "image3.gif", "image4.gif"});
    touch(data, {"image4.gif"});
    const auto folders = skinFolders(option, data.path(), program.path());
    EXPECT_EQ(folders, inProgram);
    EXPECT_EQ(findSkinFile(folders, "image4.gif"), program.file("image4.gif"));
    EXPECT_FALSE(findSkinFile(folders, "image1.gif"));
    // Neither complete: the first one that holds any of a skin's files.
    std::filesystem::remove(program.file("fichier2.ini"));
    EXPECT_EQ(skinFolders(option, data.path(), program.path()), inData);

    writeFile(option, "[Typeconex]\nDossier=" + chosen.path() + "/\n");
    EXPECT_EQ(skinFolders(option, data.path(), program.path()),
              (std::vector<std::string>{chosen.path() + "/"}));
}

TEST(SkinFolder, AcceptingStoresTheFolderThenStartsTheProgramAnew) {
    TempDir data, program, skin;
    FakeDialogs dialogs;
    FakeLauncher launcher;
    const SkinAcceptance with{data.file("option.ini"), program.path(), "/elsewhere/varlotte-dev", dialogs,
                              launcher};

    // Not a complete folder: one box, nothing stored, nothing started.
    EXPECT_EQ(acceptSkinFolder("Valable: non", skin.path(), with), SkinAcceptResult::Refused);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Nom de dossier invalide");
    EXPECT_EQ(dialogs.shown[0].title, "Erreur");
    EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::Ok);
    EXPECT_EQ(lireini("Typeconex", "Dossier", with.optionIni), "");
    EXPECT_TRUE(launcher.programs().empty());

    const std::string programFile = program.path() + kProgramFile;
    launcher.startable = std::vector<std::string>{programFile};
    EXPECT_EQ(acceptSkinFolder("Valable: oui", skin.path(), with), SkinAcceptResult::Restarted);
    EXPECT_EQ(lireini("Typeconex", "Dossier", with.optionIni), skin.path());
    EXPECT_EQ(launcher.programs(), std::vector<std::string>{programFile});

    // Under another name the running program's own file is started instead.
    launcher.asked.clear();
    launcher.startable = std::vector<std::string>{"/elsewhere/varlotte-dev"};
    EXPECT_EQ(acceptSkinFolder("Valable: oui", skin.path() + "/", with), SkinAcceptResult::Restarted);
    EXPECT_EQ(launcher.programs(), (std::vector<std::string>{programFile, "/elsewhere/varlotte-dev"}));
    EXPECT_EQ(lireini("Typeconex", "Dossier", with.optionIni), skin.path() + "/");

    // Nothing starts: the folder stays stored, the user is told and the program goes on.
    launcher.startable = std::vector<std::string>{};
    EXPECT_EQ(acceptSkinFolder("Valable: oui", skin.path(), with), SkinAcceptResult::NotStarted);
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(lireini("Typeconex", "Dossier", with.optionIni), skin.path());
}

TEST(SkinFolder, AFolderThatCannotBeStoredStartsNothing) {
    TempDir data, skin;
    writeFile(data.file("option.ini"), "[Typeconex]\nDossier=/old\n");
    FakeDialogs dialogs;
    FakeLauncher launcher;
    launcher.startable = std::vector<std::string>{data.path() + kProgramFile};
    const SkinAcceptance with{data.file("option.ini"), data.path(), "", dialogs, launcher};
    setIniWriteFailureForTesting(true);
    const SkinAcceptResult result = acceptSkinFolder("Valable: oui", skin.path(), with);
    setIniWriteFailureForTesting(false);
    EXPECT_EQ(result, SkinAcceptResult::NotStored);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(launcher.programs().empty());
    EXPECT_EQ(lireini("Typeconex", "Dossier", with.optionIni), "/old");
}

}  // namespace
}  // namespace vq
