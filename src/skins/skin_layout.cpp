#include "skins/skin_layout.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <utility>

#include "core/ini_store.h"
#include "core/numbers.h"

namespace vq {

namespace {

// Names as the sources take them: in lower case.
struct Key {
    const char* key;
    const char* control;
};

// Main-window controls placed by "fichier1.ini" besides the label arrays.
constexpr Key kMainCommands[] = {
    {"command1", "Command1"},   {"command2", "Command2"},   {"command3", "Command3"},
    {"command4", "Command4"},   {"command5", "Command5"},   {"command8", "Command8"},
    {"command9", "Command9"},   {"command10", "Command10"}, {"command11", "Command11"},
    {"command12", "Command12"},
};
constexpr Key kMainFields[] = {
    {"lcd1", "LCD1"},         {"lcd2", "LCD2"},
    {"durée", "Durée"},       {"progressbar1", "ProgressBar1"},
    {"connect", "connect"},   {"connection", "Connection"},
    {"temps", "Temps2"},      {"text5", "Text5"},
    {"text4", "Text4"},       {"text3", "Text3"},
    {"text6", "Text6"},       {"text7", "Text7"},
    {"check1", "Check1"},     {"heuredep", "heuredep"},
    {"heurefin", "heurefin"},
};
// Records-window controls placed by "fichier2.ini".
constexpr Key kRecordsTexts[] = {
    {"text4", "Text4"}, {"text5", "Text5"}, {"text6", "Text6"}, {"text10", "Text10"},
    {"text9", "Text9"}, {"text2", "Text2"}, {"text3", "Text3"}, {"text99", "Text99"},
};
constexpr Key kRecordsCommands[] = {
    {"command4", "Command4"}, {"command5", "Command5"}, {"command1", "Command1"},
    {"command3", "Command3"}, {"command2", "Command2"}, {"command6", "Command6"},
};
constexpr Key kRecordsLabels[] = {
    {"label1(0)", "Label1_0"},
    {"label1(2)", "Label1_2"},
    {"label1(3)", "Label1_3"},
    {"label1(1)", "Label1_1"},
};

// The records list sits one label height below its column header.
constexpr float kListBelowHeaderTwips = 255;

LayoutStep makeStep(SkinWindow window, std::string_view control, LayoutProperty property) {
    LayoutStep step;
    step.window = window;
    step.control = control;
    step.property = property;
    return step;
}

class StepWriter {
public:
    // `most`: how many steps the window's reading can give at most, so that the list grows once.
    StepWriter(SkinWindow window, const LayoutSource& source, std::size_t most)
        : m_window(window), m_values(source()), m_most(most) {}

    void position(std::string_view section, std::string_view key, std::string_view control) {
        if (auto twips = parseTwips(m_values(section, key))) {
            LayoutStep step =
                makeStep(m_window, control, section == "top" ? LayoutProperty::Top : LayoutProperty::Left);
            step.twips = *twips;
            add(std::move(step));
        }
    }
    void color(std::string_view key, std::string_view control) {
        if (auto rgb = parseLabelColor(m_values("couleur", key))) {
            LayoutStep step = makeStep(m_window, control, LayoutProperty::TextColor);
            step.rgb = *rgb;
            add(std::move(step));
        }
    }
    template <std::size_t N>
    void positions(const char* section, const Key (&keys)[N]) {
        for (const Key& k : keys) {
            position(section, k.key, k.control);
        }
    }
    void add(LayoutStep step) {
        if (m_steps.empty())
            m_steps.reserve(m_most);
        m_steps.push_back(std::move(step));
    }
    std::vector<LayoutStep> take() { return std::move(m_steps); }

private:
    SkinWindow m_window;
    const LayoutValues m_values;
    const std::size_t m_most;
    std::vector<LayoutStep> m_steps;
};

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace

LayoutSource layoutFile(std::string path) {
    return [path = std::move(path)]() -> LayoutValues {
        return [snapshot = iniSnapshot(path)](std::string_view section, std::string_view key) {
            return snapshot.valueOfFolded(section, key);
        };
    };
}

LayoutSource layoutText(std::string text) {
    // Read once: the first line of a key wins, in whichever section of that name it stands.
    using Keys = std::map<std::string, std::string, std::less<>>;
    auto values = std::make_shared<std::map<std::string, Keys, std::less<>>>();
    std::string_view rest = text;
    Keys* section = nullptr;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = &(*values)[lowerAscii(trimmed(line.substr(1, line.size() - 2)))];
        } else if (section) {
            const std::size_t eq = line.find('=');
            if (eq != std::string_view::npos)
                section->try_emplace(lowerAscii(trimmed(line.substr(0, eq))), trimmed(line.substr(eq + 1)));
        }
    }
    return [values]() -> LayoutValues {
        return [values](std::string_view section, std::string_view key) {
            auto s = values->find(section);
            if (s == values->end())
                return std::string_view();
            auto k = s->second.find(key);
            return k == s->second.end() ? std::string_view() : std::string_view(k->second);
        };
    };
}

std::optional<float> parseTwips(std::string_view text) {
    const std::optional<double> value = parseDecimal(text);
    if (!value || !std::isfinite(*value) || std::fabs(*value) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

std::optional<std::uint32_t> parseLabelColor(std::string_view text) {
    const std::optional<long long> value = parseWhole(text);
    // Negative values are system colours and values past 0xFFFFFF are not colours at all: a label
    // refuses both and keeps its colour.
    if (!value || *value < 0 || *value > 0xFFFFFF) {
        return std::nullopt;
    }
    const auto bgr = static_cast<std::uint32_t>(*value);
    const std::uint32_t red = bgr & 0xFF;
    const std::uint32_t green = (bgr >> 8) & 0xFF;
    const std::uint32_t blue = (bgr >> 16) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

std::vector<LayoutStep> readMainLayout(const LayoutSource& fichier1) {
    // Left, Top and colour for 14 labels, Top and Left for the rest.
    constexpr std::size_t kMost = 14 * 3 + 6 + 2 * std::size(kMainCommands) + 2 * std::size(kMainFields);
    StepWriter out(SkinWindow::Main, fichier1, kMost);
    for (int i = 1; i <= 14; ++i) {
        const std::string key = "label1(" + std::to_string(i) + ")";
        const std::string control = "Label1_" + std::to_string(i);
        out.position("left", key, control);
        out.position("top", key, control);
        out.color(key, control);
    }
    out.position("top", "label4", "Label4");
    out.position("left", "label4", "Label4");
    out.position("top", "label6", "Label6");
    out.position("left", "label6", "Label6");
    out.color("label4", "Label4");
    out.color("label6", "Label6");
    out.positions("top", kMainCommands);
    out.positions("left", kMainCommands);
    out.positions("top", kMainFields);
    out.positions("left", kMainFields);
    return out.take();
}

std::vector<LayoutStep> readRecordsLayout(const LayoutSource& fichier2) {
    constexpr std::size_t kMost =
        2 * std::size(kRecordsTexts) + 2 * std::size(kRecordsCommands) + 3 + 3 * std::size(kRecordsLabels);
    StepWriter out(SkinWindow::Records, fichier2, kMost);
    out.positions("top", kRecordsTexts);
    out.positions("left", kRecordsTexts);
    out.positions("left", kRecordsCommands);
    out.positions("top", kRecordsCommands);
    // The key "DataGrid1" places the list's header; the list itself always follows the header.
    out.position("top", "datagrid1", "Label2");
    out.position("left", "datagrid1", "Label2");
    LayoutStep list = makeStep(SkinWindow::Records, "DataGrid1", LayoutProperty::ListUnderHeader);
    list.twips = kListBelowHeaderTwips;
    list.header = "Label2";
    out.add(std::move(list));
    out.positions("top", kRecordsLabels);
    out.positions("left", kRecordsLabels);
    for (const Key& k : kRecordsLabels) {
        out.color(k.key, k.control);
    }
    return out.take();
}

const std::vector<PictureStep>& buttonPictureSteps() {
    static const std::vector<PictureStep> steps{
        {SkinWindow::Main, "Command12", "image4.gif"},    {SkinWindow::Main, "Command5", "image6.gif"},
        {SkinWindow::Main, "Command10", "image9.gif"},    {SkinWindow::Main, "Command15", "image10.gif"},
        {SkinWindow::Main, "command14", "image11.gif"},   {SkinWindow::Main, "Command2", "image12.gif"},
        {SkinWindow::Main, "Command8", "image13.gif"},    {SkinWindow::Main, "Command9", "image14.gif"},
        {SkinWindow::Main, "Command11", "image15.gif"},   {SkinWindow::Main, "Command1", "image16.gif"},
        {SkinWindow::Main, "Command4", "image17.gif"},    {SkinWindow::Records, "Command5", "image18.gif"},
        {SkinWindow::Records, "Command6", "image19.gif"}, {SkinWindow::Records, "Command4", "image20.gif"},
        {SkinWindow::Records, "Command1", "image22.gif"}, {SkinWindow::Records, "Command3", "image23.gif"},
        {SkinWindow::Records, "Command2", "image21.gif"},
    };
    return steps;
}

}  // namespace vq
