// The skin layout reader against arbitrary "fichier1.ini" and "fichier2.ini" files. Every step it
// gives is a usable value for a known control, no control gets the same property twice, and the steps
// are a faithful reading of the files: writing them back as a clean layout file and reading that
// again gives the same steps; and a file emptied on disk behind the store's back reads as empty.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ini_store.h"
#include "fuzz_support.h"
#include "memory_files.h"
#include "skins/skin_layout.h"

namespace {

using vq::LayoutProperty;
using vq::LayoutStep;
using vq::SkinWindow;
using vq::fuzz::check;

bool sameSteps(const std::vector<LayoutStep>& a, const std::vector<LayoutStep>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const LayoutStep& x = a[i];
        const LayoutStep& y = b[i];
        if (x.window != y.window || x.control != y.control || x.property != y.property ||
            x.twips != y.twips || x.rgb != y.rgb || x.header != y.header)
            return false;
    }
    return true;
}

// The key of a layout file that places `control` ("Label1_3" is "Label1(3)").
std::string keyOf(SkinWindow window, const std::string& control) {
    if (control == "Temps2")
        return "temps";
    if (window == SkinWindow::Records && control == "Label2")
        return "DataGrid1";
    const std::size_t bar = control.find('_');
    if (bar != std::string::npos)
        return control.substr(0, bar) + "(" + control.substr(bar + 1) + ")";
    return control;
}

// A position as a plain decimal that reads back as exactly the same number.
std::string twipsText(float twips) {
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(twips), std::chars_format::fixed);
    check(r.ec == std::errc(), "a position can be written as a decimal");
    return std::string(buf, r.ptr);
}

// A colour as the files hold it: 0x00BBGGRR as a whole decimal.
std::string colorText(std::uint32_t rgb) {
    const std::uint32_t bgr = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    return std::to_string(bgr);
}

void checkSteps(const std::vector<LayoutStep>& steps, SkinWindow window) {
    std::vector<std::pair<std::string_view, LayoutProperty>> seen;
    seen.reserve(steps.size());
    int lists = 0;
    for (const LayoutStep& s : steps) {
        check(s.window == window, "a step belongs to the window whose file was read");
        check(!s.control.empty(), "a step names a control");
        seen.emplace_back(s.control, s.property);
        switch (s.property) {
            case LayoutProperty::Left:
            case LayoutProperty::Top:
                check(std::isfinite(s.twips), "a position is a finite number");
                break;
            case LayoutProperty::TextColor:
                check(s.rgb <= 0xFFFFFF, "a colour is 0xRRGGBB");
                check(s.control.rfind("Label", 0) == 0, "only labels take a colour");
                break;
            case LayoutProperty::ListUnderHeader:
                ++lists;
                check(s.control == "DataGrid1" && s.header == "Label2" && s.twips == 255,
                      "the records list goes one label height under its header");
                break;
        }
    }
    check(lists == (window == SkinWindow::Records ? 1 : 0), "the records list is placed exactly once");
    std::sort(seen.begin(), seen.end());
    check(std::adjacent_find(seen.begin(), seen.end()) == seen.end(),
          "no control gets the same property twice");
}

// The steps written back as the text of a clean layout file: each section once, one key a line.
std::string cleanText(const std::vector<LayoutStep>& steps) {
    std::string left = "[Left]\n", top = "[Top]\n", colors = "[Couleur]\n";
    for (const LayoutStep& s : steps) {
        switch (s.property) {
            case LayoutProperty::Left:
                left += keyOf(s.window, s.control) + "=" + twipsText(s.twips) + "\n";
                break;
            case LayoutProperty::Top:
                top += keyOf(s.window, s.control) + "=" + twipsText(s.twips) + "\n";
                break;
            case LayoutProperty::TextColor:
                colors += keyOf(s.window, s.control) + "=" + colorText(s.rgb) + "\n";
                break;
            case LayoutProperty::ListUnderHeader:
                break;
        }
    }
    return left + top + colors;
}

std::vector<LayoutStep> readLayout(SkinWindow window, const vq::LayoutSource& source) {
    return window == SkinWindow::Main ? vq::readMainLayout(source) : vq::readRecordsLayout(source);
}

void exercise(SkinWindow window, const std::string& content, const std::string& path,
              const std::string& cleanPath) {
    vq::fuzz::putFile(path, content);
    const std::vector<LayoutStep> steps = readLayout(window, vq::layoutFile(path));
    checkSteps(steps, window);
    check(sameSteps(readLayout(window, vq::layoutFile(path)), steps), "two readings of one file agree");

    // The built-in layout reader takes the same text without failing and gives usable steps.
    checkSteps(readLayout(window, vq::layoutText(content)), window);

    vq::fuzz::putFile(cleanPath, cleanText(steps));
    check(sameSteps(readLayout(window, vq::layoutFile(cleanPath)), steps),
          "a clean copy of the layout reads as the original");

    // Another program empties the file behind the store's back: the steps are an empty file's, not
    // the ones read before.
    vq::fuzz::putFile(path, "");
    static const std::vector<LayoutStep> emptyMain = readLayout(SkinWindow::Main, vq::layoutText(""));
    static const std::vector<LayoutStep> emptyRecords = readLayout(SkinWindow::Records, vq::layoutText(""));
    check(sameSteps(readLayout(window, vq::layoutFile(path)),
                    window == SkinWindow::Main ? emptyMain : emptyRecords),
          "a file changed on disk is read again");
    vq::fuzz::removeFile(path);
    vq::fuzz::removeFile(cleanPath);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    const std::string fichier1 = input.substr(0, cut);
    const std::string fichier2 = cut == std::string::npos ? std::string() : input.substr(cut + 1);

    // Change notifications on some runs, stamp comparisons on the others.
    static unsigned run = 0;
    ++run;
    vq::setIniChangeWatchForTesting(run % 2 == 0);
    const std::string base = vq::fuzz::memoryFolder() + "/s" + std::to_string(run % 512);
    exercise(SkinWindow::Main, fichier1, base + "-fichier1.ini", base + "-clean1.ini");
    exercise(SkinWindow::Records, fichier2, base + "-fichier2.ini", base + "-clean2.ini");
    vq::clearIniCache();  // what a run allocates, it frees: no leak check after each run
    return 0;
}
