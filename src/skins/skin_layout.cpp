#include "skins/skin_layout.h"

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <utility>

#include "core/ini_store.h"
#include "core/numbers.h"

namespace vq {

namespace {

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
    {"LCD1", "LCD1"},         {"LCD2", "LCD2"},
    {"Durée", "Durée"},       {"progressbar1", "ProgressBar1"},
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

LayoutStep makeStep(SkinWindow window, std::string control, LayoutProperty property) {
    LayoutStep step;
    step.window = window;
    step.control = std::move(control);
    step.property = property;
    return step;
}

class StepWriter {
public:
    StepWriter(SkinWindow window, const LayoutSource& source) : m_window(window), m_source(source) {}

    void position(const char* section, const std::string& key, const std::string& control) {
        if (auto twips = parseTwips(m_source(section, key))) {
            LayoutStep step =
                makeStep(m_window, control,
                         std::string_view(section) == "Top" ? LayoutProperty::Top : LayoutProperty::Left);
            step.twips = *twips;
            m_steps.push_back(std::move(step));
        }
    }
    void color(const std::string& key, const std::string& control) {
        if (auto rgb = parseLabelColor(m_source("Couleur", key))) {
            LayoutStep step = makeStep(m_window, control, LayoutProperty::TextColor);
            step.rgb = *rgb;
            m_steps.push_back(std::move(step));
        }
    }
    template <std::size_t N>
    void positions(const char* section, const Key (&keys)[N]) {
        for (const Key& k : keys) {
            position(section, k.key, k.control);
        }
    }
    void add(LayoutStep step) { m_steps.push_back(std::move(step)); }
    std::vector<LayoutStep> take() { return std::move(m_steps); }

private:
    SkinWindow m_window;
    const LayoutSource& m_source;
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
    return [path = std::move(path)](std::string_view section, std::string_view key) {
        return lireini(section, key, path);
    };
}

LayoutSource layoutText(std::string text) {
    // Read once: the first line of a key wins, in whichever section of that name it stands.
    using Values = std::map<std::pair<std::string, std::string>, std::string>;
    auto values = std::make_shared<Values>();
    std::string_view rest = text;
    std::optional<std::string> section;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = lowerAscii(trimmed(line.substr(1, line.size() - 2)));
        } else if (section) {
            const std::size_t eq = line.find('=');
            if (eq != std::string_view::npos)
                values->try_emplace({*section, lowerAscii(trimmed(line.substr(0, eq)))},
                                    trimmed(line.substr(eq + 1)));
        }
    }
    return [values](std::string_view section, std::string_view key) -> std::string {
        auto it = values->find({lowerAscii(section), lowerAscii(key)});
        return it == values->end() ? std::string() : it->second;
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
    StepWriter out(SkinWindow::Main, fichier1);
    for (int i = 1; i <= 14; ++i) {
        const std::string key = "Label1(" + std::to_string(i) + ")";
        const std::string control = "Label1_" + std::to_string(i);
        out.position("Left", key, control);
        out.position("Top", key, control);
        out.color(key, control);
    }
    out.position("Top", "Label4", "Label4");
    out.position("Left", "Label4", "Label4");
    out.position("Top", "Label6", "Label6");
    out.position("Left", "Label6", "Label6");
    out.color("Label4", "Label4");
    out.color("Label6", "Label6");
    out.positions("Top", kMainCommands);
    out.positions("Left", kMainCommands);
    out.positions("Top", kMainFields);
    out.positions("Left", kMainFields);
    return out.take();
}

std::vector<LayoutStep> readRecordsLayout(const LayoutSource& fichier2) {
    StepWriter out(SkinWindow::Records, fichier2);
    out.positions("Top", kRecordsTexts);
    out.positions("Left", kRecordsTexts);
    out.positions("Left", kRecordsCommands);
    out.positions("Top", kRecordsCommands);
    // The key "DataGrid1" places the list's header; the list itself always follows the header.
    out.position("Top", "DataGrid1", "Label2");
    out.position("Left", "DataGrid1", "Label2");
    LayoutStep list = makeStep(SkinWindow::Records, "DataGrid1", LayoutProperty::ListUnderHeader);
    list.twips = kListBelowHeaderTwips;
    list.header = "Label2";
    out.add(std::move(list));
    out.positions("Top", kRecordsLabels);
    out.positions("Left", kRecordsLabels);
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
