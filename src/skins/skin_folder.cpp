#include "skins/skin_folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/ini_store.h"
#include "records/option_file.h"

namespace vq {

namespace {

namespace fs = std::filesystem;

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool isRegularFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

}  // namespace

std::string joinSkinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && isSeparator(folder.back())) {
        return folder + name;
    }
    return folder + "/" + name;
}

std::optional<std::string> findSkinFile(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return std::nullopt;
    }
    const std::string exact = joinSkinPath(folder, name);
    if (isRegularFile(exact)) {
        return exact;
    }
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return std::nullopt;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            break;
        }
        const std::string candidate = it->path().filename().string();
        if (sameNameIgnoringCase(candidate, name) && isRegularFile(it->path())) {
            return joinSkinPath(folder, candidate);
        }
    }
    return std::nullopt;
}

std::optional<std::string> findSkinFile(const std::vector<std::string>& folders, const std::string& name) {
    for (const std::string& folder : folders) {
        if (auto found = findSkinFile(folder, name)) {
            return found;
        }
    }
    return std::nullopt;
}

std::vector<std::string> skinFolders(const std::string& optionIni, const std::string& dataFolder,
                                     const std::string& programFolder) {
    const std::string chosen = lireini(option::kSettingsSection, option::kSkinFolderKey, optionIni);
    if (!chosen.empty()) {
        return {chosen};
    }
    std::vector<std::string> candidates{dataFolder};
    std::error_code ec;
    if (programFolder != dataFolder && !fs::equivalent(dataFolder, programFolder, ec)) {
        candidates.push_back(programFolder);
    }
    // A skin comes from one folder, never part from each: the first complete one, else the first
    // holding any of a skin's files.
    for (const std::string& folder : candidates) {
        if (isCompleteSkin(folder)) {
            return {folder};
        }
    }
    for (const std::string& folder : candidates) {
        for (const char* name : {"fichier1.ini", "fichier2.ini", "image1.gif", "image1.bmp", "image2.gif",
                                 "image2.bmp", "image3.gif", "image3.bmp", "image4.gif", "image4.bmp"}) {
            if (findSkinFile(folder, name)) {
                return {folder};
            }
        }
    }
    return {dataFolder};
}

bool isCompleteSkin(const std::string& folder) {
    auto has = [&](const char* name) { return findSkinFile(folder, name).has_value(); };
    // Every file is looked at, as the chooser always does, even once the answer is known.
    const bool layout1 = has("fichier1.ini");
    const bool layout2 = has("fichier2.ini");
    const bool face1Gif = has("image1.gif");
    const bool face1Bmp = has("image1.bmp");
    const bool face2Gif = has("image2.gif");
    const bool face2Bmp = has("image2.bmp");
    const bool face3Gif = has("image3.gif");
    const bool face3Bmp = has("image3.bmp");
    return layout1 && layout2 && (face1Gif || face1Bmp) && (face2Gif || face2Bmp) && (face3Gif || face3Bmp);
}

std::string skinVerdict(const std::string& folder) {
    return isCompleteSkin(folder) ? kSkinValid : kSkinInvalid;
}

std::string programExecutable(const std::string& programFolder) {
#ifdef _WIN32
    return joinSkinPath(programFolder, "Varlotte.exe");
#else
    return joinSkinPath(programFolder, "Varlotte");
#endif
}

SkinAcceptResult acceptSkinFolder(const std::string& verdict, const std::string& folder,
                                  const SkinAcceptance& with) {
    if (verdict != kSkinValid) {
        with.dialogs.show("Nom de dossier invalide", "Erreur", DialogButtons::Ok, DialogIcon::None);
        return SkinAcceptResult::Refused;
    }
    if (!ecrireini(option::kSettingsSection, option::kSkinFolderKey, folder, with.optionIni)) {
        with.dialogs.show("Le dossier du skin n'a pas pu être enregistré dans option.ini.", "Erreur",
                          DialogButtons::Ok, DialogIcon::Exclamation);
        return SkinAcceptResult::NotStored;
    }
    if (with.launcher.start(programExecutable(with.programFolder), {})) {
        return SkinAcceptResult::Restarted;
    }
    // An executable under another name: start the running program's own file instead, so that the
    // user is not left with nothing running.
    if (!with.runningProgram.empty() && with.launcher.start(with.runningProgram, {})) {
        return SkinAcceptResult::Restarted;
    }
    with.dialogs.show(
        "Le skin est enregistré, mais le programme n'a pas pu être relancé : il sera appliqué "
        "au prochain démarrage.",
        "Erreur", DialogButtons::Ok, DialogIcon::Exclamation);
    return SkinAcceptResult::NotStarted;
}

}  // namespace vq
