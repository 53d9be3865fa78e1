#pragma once
// Reading a skin's layout: from "fichier1.ini" (main window) and "fichier2.ini" (records window),
// the ordered list of control moves and label colours to apply, each value already converted.
// Also the order in which a skin's pictures are loaded onto the windows' controls.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vq {

enum class SkinWindow { Main, Records };

enum class LayoutProperty {
    Left,             // `twips` from the window's left edge
    Top,              // `twips` from the window's top edge
    TextColor,        // `rgb`, 0xRRGGBB
    ListUnderHeader,  // the list `control` goes `twips` below `header`, at its left edge
};

struct LayoutStep {
    SkinWindow window = SkinWindow::Main;
    std::string control;  // the widget's objectName
    LayoutProperty property = LayoutProperty::Left;
    float twips = 0;
    std::uint32_t rgb = 0;
    std::string header;  // ListUnderHeader only
};

// The values of one state of a layout file: the value of a key of a section, both names given in
// lower case, "" when absent (valid while the function lives).
using LayoutValues = std::function<std::string_view(std::string_view section, std::string_view key)>;
// A layout file: a reading asks it once for its values, and so sees one state of the file.
using LayoutSource = std::function<LayoutValues()>;

// A layout file on disk, read through the INI store (a missing file gives "" everywhere).
LayoutSource layoutFile(std::string path);
// A layout file's text held in memory (the built-in layout): sections and keys case-blind, blanks
// around values dropped.
LayoutSource layoutText(std::string text);

// The steps of the main window, in the order they are applied; values that are missing or do not
// convert are left out, so the control keeps what it had.
std::vector<LayoutStep> readMainLayout(const LayoutSource& fichier1);
// The steps of the records window, ending with the records list placed under its header.
std::vector<LayoutStep> readRecordsLayout(const LayoutSource& fichier2);

// Layout values as the windows take them; nothing when the text is not a value.
std::optional<float> parseTwips(std::string_view text);
// "Couleur": a whole decimal 0x00BBGGRR turned into 0xRRGGBB; nothing for system colours or
// anything that is not a whole number.
std::optional<std::uint32_t> parseLabelColor(std::string_view text);

// One picture of a skin loaded onto one control.
struct PictureStep {
    SkinWindow window;
    const char* control;  // objectName
    const char* file;     // file name in the skin folder
};
// The button pictures, in loading order (GIF only).
const std::vector<PictureStep>& buttonPictureSteps();

}  // namespace vq
