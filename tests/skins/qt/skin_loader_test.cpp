#include "skins/qt/skin_loader.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>

#include "skins/qt/face.h"
#include "skins/qt/picture_button.h"
#include "support/fakes.h"

namespace vq {
namespace {

using test::TempDir;
using test::writeFile;

// A w x h picture: magenta background with a filled rectangle inside.
QImage shape(int w, int h, QRect inside, QColor colour = QColor(20, 40, 90)) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            img.setPixelColor(x, y, colour);
        }
    }
    return img;
}

TEST(Face, RegionIsTheNonBackgroundPixels) {
    QImage img = shape(6, 4, QRect(1, 1, 3, 2));
    img.setPixelColor(5, 0, QColor(1, 2, 3));
    QRegion expected = QRegion(1, 1, 3, 2) + QRegion(5, 0, 1, 1);
    EXPECT_EQ(faceRegion(img), expected);
    EXPECT_TRUE(faceRegion(shape(5, 5, QRect())).isEmpty());
    EXPECT_TRUE(faceRegion(QImage()).isEmpty());

    // A shape with curved edges and a hole: the same pixels as joining one rectangle per pixel.
    QImage ring = shape(40, 30, QRect());
    QRegion pixels;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const double dx = (x - 19.5) / 18, dy = (y - 14.5) / 13, d = dx * dx + dy * dy;
            if (d <= 1 && d > 0.2) {
                ring.setPixelColor(x, y, QColor(x * 6, y * 8, 0));
                pixels += QRect(x, y, 1, 1);
            }
        }
    }
    EXPECT_TRUE(faceRegion(ring).xored(pixels).isEmpty());

    QWidget window;
    applyFace(&window, QPixmap::fromImage(img));
    EXPECT_EQ(window.mask(), expected);
    EXPECT_EQ(appliedFace(&window).size(), QSize(6, 4));
    applyFace(&window, QPixmap::fromImage(shape(5, 5, QRect())));  // one colour: unshaped
    EXPECT_TRUE(window.mask().isEmpty());

    // A dithered face has more runs than the display takes in one request: each row keeps the span
    // from its first shaped pixel to its last.
    QImage dithered = shape(300, 300, QRect());
    QRegion spans;
    for (int y = 0; y < 300; ++y) {
        for (int x = (y + 1) % 2; x < 300; x += 2) {
            dithered.setPixelColor(x, y, QColor(0, 0, 0));
        }
        spans += QRect((y + 1) % 2, y, 299, 1);
    }
    EXPECT_EQ(faceRegion(dithered), spans);
    EXPECT_EQ(faceRegion(dithered).rectCount(), 300);
}

struct Windows {
    QWidget main;
    QWidget records;
    PictureButton* command3 = new PictureButton("Command3", "Options", &main);
    PictureButton* command15 = new PictureButton("Command15", {}, &main);
    PictureButton* command14 = new PictureButton("command14", {}, &main);
    PictureButton* command12 = new PictureButton("Command12", "Changer de skin", &main);
    QLabel* lcd1 = new QLabel(&main);
    QLabel* label4 = new QLabel("Temps de connexion", &main);
    QLineEdit* temps = new QLineEdit(&main);
    QLineEdit* temps2 = new QLineEdit(&main);
    QLabel* header = new QLabel(&records);
    QListWidget* list = new QListWidget(&records);
    PictureButton* exit = new PictureButton("Command6", "Sortir", &records);
    int recordsAsked = 0;

    Windows() {
        lcd1->setObjectName("LCD1");
        label4->setObjectName("Label4");
        temps->setObjectName("Temps");
        temps2->setObjectName("Temps2");
        header->setObjectName("Label2");
        list->setObjectName("DataGrid1");
    }
    MainFaces load(const std::string& folder) {
        TempDir data;
        writeFile(data.file("option.ini"), "[Typeconex]\nDossier=" + folder + "\n");
        return lireskin(
            &main,
            [this]() -> QWidget* {
                ++recordsAsked;
                return &records;
            },
            SkinPlaces{data.file("option.ini"), data.path(), data.path()});
    }
};

TEST(SkinLoader, BuiltInLookIsCompleteWithoutAnySkinFile) {
    TempDir empty;
    Windows w;
    const MainFaces faces = w.load(empty.path());
    ASSERT_FALSE(faces.compact.isNull());
    ASSERT_FALSE(faces.options.isNull());
    EXPECT_EQ(w.main.size(), faces.options.size());
    EXPECT_FALSE(w.main.mask().isEmpty());
    // The Options button shows the very picture its compact-view holder holds.
    EXPECT_EQ(w.command3->picture().cacheKey(), w.command15->picture().cacheKey());
    EXPECT_NE(w.command15->picture().cacheKey(), w.command14->picture().cacheKey());
    EXPECT_FALSE(w.exit->picture().isNull());
    EXPECT_EQ(w.recordsAsked, 1);  // created once, on first use

    // The records window without a face of its own takes the built-in one.
    applyRecordsFace(&w.records, SkinPlaces{empty.file("option.ini"), empty.path(), empty.path()});
    EXPECT_FALSE(appliedFace(&w.records).isNull());
    EXPECT_EQ(w.records.size(), appliedFace(&w.records).size());
}

TEST(SkinLoader, SkinOverridesTheBuiltInLookItemByItem) {
    TempDir skin;
    shape(40, 30, QRect(2, 2, 30, 20)).save(QString::fromStdString(skin.file("IMAGE1.BMP")), "BMP");
    shape(10, 10, QRect(1, 1, 5, 5))
        .save(QString::fromStdString(skin.file("image2.gif")), "PNG");  // not a GIF
    shape(60, 50, QRect(0, 10, 60, 5)).save(QString::fromStdString(skin.file("image2.bmp")), "BMP");
    shape(24, 12, QRect(1, 1, 20, 9)).save(QString::fromStdString(skin.file("image19.gif")), "BMP");
    writeFile(skin.file("image4.gif"), "not a picture");
    QImage tooWide(8193, 2, QImage::Format_RGB32);
    tooWide.fill(QColor(0, 128, 0));
    tooWide.save(QString::fromStdString(skin.file("image10.gif")), "PNG");
    writeFile(skin.file("fichier1.ini"),
              "[TOP]\nlcd1=600\ntemps=300\n[Left]\nLabel4=\n[Couleur]\nlabel4=255\n");
    writeFile(skin.file("fichier2.ini"), "[Top]\nDataGrid1=600\n[Left]\nDataGrid1=150\n");

    Windows builtIn;
    builtIn.load(skin.path() + "/../" + "no-such-folder");
    Windows w;
    const MainFaces faces = w.load(skin.path() + "/");

    EXPECT_EQ(faces.compact.size(), QSize(40, 30));
    EXPECT_EQ(faces.options.size(), QSize(60, 50));  // the BMP after the GIF
    EXPECT_EQ(w.main.size(), QSize(60, 50));
    EXPECT_EQ(w.main.mask(), QRegion(2, 2, 30, 20));  // cut from the compact face
    // A picture that does not decode leaves the built-in one; one that does replaces it.
    EXPECT_EQ(w.command12->picture().size(), builtIn.command12->picture().size());
    EXPECT_EQ(w.command15->picture().size(), builtIn.command15->picture().size());  // too large
    EXPECT_EQ(w.exit->size(), QSize(24, 12));

    // The offscreen screen has 96 dots per inch: 15 twips to a pixel.
    ASSERT_EQ(w.main.screen()->logicalDotsPerInch(), 96.0);
    EXPECT_EQ(w.lcd1->pos(), QPoint(builtIn.lcd1->x(), 40));  // 600 twips
    EXPECT_EQ(w.temps2->y(), 20);                             // 300 twips
    EXPECT_EQ(w.temps->pos(), builtIn.temps->pos());
    EXPECT_EQ(w.label4->pos(), builtIn.label4->pos());
    EXPECT_EQ(w.label4->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    EXPECT_EQ(w.header->pos(), QPoint(10, 40));  // 150 and 600 twips
    EXPECT_EQ(w.list->pos(), QPoint(10, 57));    // 255 twips under the header
}

}  // namespace
}  // namespace vq
