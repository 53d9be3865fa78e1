#include "shell/qt/about_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

namespace vq {
namespace {

TEST(AboutBoxTest, LayoutColoursAndTexts) {
    AboutBox box({});
    EXPECT_EQ(box.objectName(), "Créateur");
    EXPECT_EQ(box.windowTitle(), "Concepteur");
    EXPECT_EQ(box.size(), QSize(249, 113));
    EXPECT_EQ(box.palette().color(QPalette::Window), QColor(255, 128, 0));
    EXPECT_TRUE(box.autoFillBackground());

    auto* shape = box.findChild<QWidget*>("Shape1");
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->geometry(), box.rect());

    auto* q = box.findChild<QPushButton*>("Command1");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->text(), "Q");
    EXPECT_EQ(q->geometry(), QRect(8, 8, 17, 17));

    struct Expected {
        const char* name;
        QString text;
        QPoint at;
        double points;
    };
    const Expected labels[] = {
        {"Label3", "Varlotte Qyr", {56, 8}, 12},
        {"Label4", "v 3.23", {192, 16}, 8.25},
        {"Label2", "Créé par Ondine Marsac", {40, 40}, 8.25},
        {"Label6", "", {40, 56}, 8.25},
        {"Label1", "Aide, skins et info sur :", {24, 72}, 8.25},
        {"Label5", "", {72, 88}, 8.25},
    };
    box.show();
    for (const Expected& e : labels) {
        SCOPED_TRACE(e.name);
        auto* label = box.findChild<QLabel*>(e.name);
        ASSERT_NE(label, nullptr);
        if (!e.text.isEmpty()) {
            EXPECT_EQ(label->text(), e.text);
        } else {
            EXPECT_FALSE(label->text().isEmpty());
        }
        EXPECT_EQ(label->pos(), e.at);
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), e.points);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 255, 0));
        // Whatever font the machine substitutes, the text stays inside the box.
        EXPECT_TRUE(box.rect().contains(label->geometry())) << label->geometry().right();
    }
    EXPECT_TRUE(box.findChild<QLabel*>("Label6")->text().contains('@'));
    EXPECT_TRUE(box.findChild<QLabel*>("Label5")->text().contains('.'));
}

}  // namespace
}  // namespace vq
