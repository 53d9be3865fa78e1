#pragma once
// Where a skin's files are and whether a folder holds a complete skin; what accepting a folder in
// the skin chooser does (store it, start the program anew).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/dialogs.h"
#include "core/launcher.h"

namespace vq {

inline constexpr const char* kSkinValid = "Valable: oui";
inline constexpr const char* kSkinInvalid = "Valable: non";

// `folder` and `name` joined by one separator (a folder that already ends in one keeps it).
std::string joinSkinPath(const std::string& folder, const std::string& name);

// The existing file `name` of `folder`, its name matched without regard to case.
std::optional<std::string> findSkinFile(const std::string& folder, const std::string& name);

// The first of `folders` holding `name` (case-blind), as a path.
std::optional<std::string> findSkinFile(const std::vector<std::string>& folders, const std::string& name);

// The folder the skin's files are read from (one, so that a skin is never mixed from two): the
// skin folder stored in `optionIni` when it is not empty; otherwise the data
// folder or the program folder, whichever first holds a complete skin, else whichever first holds
// any file of one, else the data folder.
std::vector<std::string> skinFolders(const std::string& optionIni, const std::string& dataFolder,
                                     const std::string& programFolder);

// True when `folder` holds "fichier1.ini", "fichier2.ini" and each of image1, image2 and image3 as
// ".gif" or ".bmp". Every file is tested; only existence counts.
bool isCompleteSkin(const std::string& folder);

// kSkinValid or kSkinInvalid for `folder`.
std::string skinVerdict(const std::string& folder);

// The file the program is started anew from: "Varlotte" ("Varlotte.exe" on Windows) in `programFolder`.
std::string programExecutable(const std::string& programFolder);

// What "Ok" in the skin chooser does with the folder and verdict it shows.
struct SkinAcceptance {
    std::string optionIni;       // where the skin folder is stored
    std::string programFolder;   // holds the executable started anew
    std::string runningProgram;  // started instead when that executable cannot be started
    Dialogs& dialogs;
    Launcher& launcher;
};

enum class SkinAcceptResult {
    Refused,     // the verdict was not kSkinValid: "Nom de dossier invalide" was shown
    NotStored,   // the folder could not be written to "option.ini"; nothing was started
    NotStarted,  // stored, but no program could be started: the running one must go on
    Restarted,   // stored and a new instance started: the running one must end at once
};

SkinAcceptResult acceptSkinFolder(const std::string& verdict, const std::string& folder,
                                  const SkinAcceptance& with);

}  // namespace vq
