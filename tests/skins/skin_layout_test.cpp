#include "skins/skin_layout.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace vq {
namespace {

using test::TempDir;
using test::writeFile;

// "control property value" for each step, so that order and content are checked at once.
std::vector<std::string> describe(const std::vector<LayoutStep>& steps) {
    std::vector<std::string> out;
    for (const LayoutStep& s : steps) {
        switch (s.property) {
            case LayoutProperty::Left:
                out.push_back(s.control + " left " + std::to_string(s.twips));
                break;
            case LayoutProperty::Top:
                out.push_back(s.control + " top " + std::to_string(s.twips));
                break;
            case LayoutProperty::TextColor: {
                char hex[16];
                std::snprintf(hex, sizeof hex, "%06X", s.rgb);
                out.push_back(s.control + " colour " + hex);
                break;
            }
            case LayoutProperty::ListUnderHeader:
                out.push_back(s.control + " under " + s.header + " " + std::to_string(s.twips));
                break;
        }
    }
    return out;
}

std::string f(double v) {
    return std::to_string(static_cast<float>(v));
}

TEST(SkinLayout, MainWindowStepsComeInLoadingOrderWithConvertedValues) {
    TempDir dir;
    writeFile(dir.file("fichier1.ini"),
              "[top]\r\n"
              "LCD1=600\r\n"
              "temps= 300 \r\n"
              "Label1(7)=45\r\n"
              "COMMAND12=15\r\n"
              "command1=30\r\n"
              "Label4=abc\r\n"
              "[Left]\r\n"
              "label1(7)=1500,5\r\n"
              "Command1=90\r\n"
              "Label6=\r\n"
              "Temps=75\r\n"
              "[Couleur]\r\n"
              "Label4=255\r\n"
              "LABEL1(7)=16711680\r\n"
              "Label6=\r\n");
    const auto steps = readMainLayout(layoutFile(dir.file("fichier1.ini")));
    // Label arrays first (Left, Top, Couleur per element), then Label4/Label6, then the commands' Top
    // then Left, then the other controls' Top then Left. LCD1 has no Left and moves vertically only;
    // "temps" places Temps2; empty and non-numeric values are left out.
    EXPECT_EQ(describe(steps), (std::vector<std::string>{
                                   "Label1_7 left " + f(1500.5),
                                   "Label1_7 top " + f(45),
                                   "Label1_7 colour 0000FF",
                                   "Label4 colour FF0000",
                                   "Command1 top " + f(30),
                                   "Command12 top " + f(15),
                                   "Command1 left " + f(90),
                                   "LCD1 top " + f(600),
                                   "Temps2 top " + f(300),
                                   "Temps2 left " + f(75),
                               }));
}

TEST(SkinLayout, RecordsWindowListAlwaysFollowsItsHeader) {
    TempDir dir;
    writeFile(dir.file("fichier2.ini"),
              "[Top]\n"
              "DataGrid1=600\n"
              "text99=120\n"
              "label1(1)=10\n"
              "label1(0)=20\n"
              "command6=5\n"
              "[Left]\n"
              "command6=400\n"
              "Text4=60\n"
              "[Couleur]\n"
              "label1(3)=65280\n"
              "label1(2)=-5\n");
    EXPECT_EQ(describe(readRecordsLayout(layoutFile(dir.file("fichier2.ini")))),
              (std::vector<std::string>{
                  "Text99 top " + f(120),
                  "Text4 left " + f(60),
                  "Command6 left " + f(400),
                  "Command6 top " + f(5),
                  "Label2 top " + f(600),
                  "DataGrid1 under Label2 " + f(255),
                  "Label1_0 top " + f(20),
                  "Label1_1 top " + f(10),
                  "Label1_3 colour 00FF00",
              }));

    // Without a layout file nothing moves but the list, which still sits under its header.
    EXPECT_EQ(describe(readRecordsLayout(layoutFile(dir.file("absent.ini")))),
              (std::vector<std::string>{"DataGrid1 under Label2 " + f(255)}));
    EXPECT_TRUE(readMainLayout(layoutFile(dir.file("absent.ini"))).empty());
}

TEST(SkinLayout, InMemoryLayoutReadsLikeAFile) {
    const std::string text =
        "; built-in\n[Top]\nLCD1 = "
        "600\nDurée=45\n[LEFT]\ndurée=30\n[Couleur]\nlabel6=16777215\n[Other]\nLCD1=9\n";
    TempDir dir;
    writeFile(dir.file("fichier1.ini"), text);
    const auto fromText = describe(readMainLayout(layoutText(text)));
    EXPECT_EQ(fromText, describe(readMainLayout(layoutFile(dir.file("fichier1.ini")))));
    EXPECT_EQ(fromText, (std::vector<std::string>{"Label6 colour FFFFFF", "LCD1 top " + f(600),
                                                  "Durée top " + f(45), "Durée left " + f(30)}));
}

TEST(SkinLayout, ValuesThatAreNotNumbersOrColoursAreRefused) {
    EXPECT_EQ(parseTwips(" 12,5 "), 12.5f);
    EXPECT_EQ(parseTwips("-30"), -30.0f);
    EXPECT_FALSE(parseTwips(""));
    EXPECT_FALSE(parseTwips("   "));
    EXPECT_FALSE(parseTwips("12px"));
    EXPECT_FALSE(parseTwips("1e300"));

    EXPECT_EQ(parseLabelColor("0"), 0x000000u);
    EXPECT_EQ(parseLabelColor("255"), 0xFF0000u);
    EXPECT_EQ(parseLabelColor("65280"), 0x00FF00u);
    EXPECT_EQ(parseLabelColor("16711680"), 0x0000FFu);
    EXPECT_EQ(parseLabelColor("1193046"), 0x563412u);  // 0x123456 stored as BGR
    EXPECT_FALSE(parseLabelColor("-2147483633"));      // a system colour
    EXPECT_FALSE(parseLabelColor("16777216"));
    EXPECT_FALSE(parseLabelColor("red"));
    EXPECT_FALSE(parseLabelColor(""));
}

TEST(SkinLayout, ButtonPicturesCoverSeventeenDistinctControls) {
    const auto& steps = buttonPictureSteps();
    ASSERT_EQ(steps.size(), 17u);
    EXPECT_STREQ(steps.front().file, "image4.gif");
    EXPECT_STREQ(steps.back().file, "image21.gif");
    for (std::size_t i = 0; i < steps.size(); ++i) {
        for (std::size_t j = i + 1; j < steps.size(); ++j) {
            EXPECT_FALSE(steps[i].window == steps[j].window &&
                         std::string(steps[i].control) == steps[j].control)
                << steps[i].control;
            EXPECT_STRNE(steps[i].file, steps[j].file);
        }
    }
}

}  // namespace
}  // namespace vq
