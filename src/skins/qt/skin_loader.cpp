#include "skins/qt/skin_loader.h"

#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPalette>
#include <QScreen>
#include <cmath>
#include <optional>
#include <utility>

#include "skins/qt/face.h"
#include "skins/qt/picture_button.h"
#include "skins/skin_folder.h"
#include "skins/skin_layout.h"

// The built-in pictures live in a static library: their resource must be registered by hand.
static void registerBuiltinLook() {
    Q_INIT_RESOURCE(builtin);
}

namespace vq {

namespace {

// Window systems keep coordinates in 16 bits: a position beyond that is refused by the control.
constexpr double kMaxPixel = 32767;

// A picture larger than this on either side is no window face (a window that size fits no screen,
// and its pixels alone would take hundreds of megabytes): it is refused like a missing one.
constexpr int kMaxPictureSide = 8192;

// The format that a picture's first bytes name; empty for one that none of them starts.
QByteArray pictureFormat(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray head = file.read(4);
    if (head.startsWith("BM")) {
        return "bmp";
    }
    if (head.startsWith("GIF8")) {
        return "gif";
    }
    if (head.startsWith("\x89PNG")) {
        return "png";
    }
    if (head.startsWith("\xFF\xD8\xFF")) {
        return "jpeg";
    }
    return {};
}

// A picture read by the reader of its own format only: left to guess, Qt loads every image plugin of
// the machine (and their libraries) to ask each one whether it can read the file. Its size is known
// before its pixels are decoded.
QPixmap loadPicture(const QString& path) {
    const QByteArray format = pictureFormat(path);
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(format.isEmpty());
    const QSize size = reader.size();
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        return {};
    }
    const QImage picture = reader.read();
    if (picture.isNull() || picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide) {
        return {};
    }
    return QPixmap::fromImage(picture);
}

// The built-in picture `name` ("image4.gif"); a face is stored under either extension.
QPixmap builtinPicture(const std::string& name) {
    registerBuiltinLook();
    const QString base = QStringLiteral(":/builtin/") + QString::fromStdString(name);
    if (QFile::exists(base)) {
        return loadPicture(base);
    }
    QString other = base;
    other.replace(QStringLiteral(".gif"), QStringLiteral(".bmp"));
    return QFile::exists(other) ? loadPicture(other) : QPixmap();
}

std::string builtinText(const char* name) {
    registerBuiltinLook();
    QFile file(QStringLiteral(":/builtin/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

class SkinFiles {
public:
    explicit SkinFiles(const SkinPlaces& places)
        : m_folders(skinFolders(places.optionIni, places.dataFolder, places.programFolder)) {}

    // The skin's picture `name`, null when it is missing or does not decode.
    QPixmap picture(const std::string& name) const {
        const auto path = findSkinFile(m_folders, name);
        return path ? loadPicture(QString::fromStdString(*path)) : QPixmap();
    }
    LayoutSource layout(const std::string& name) const {
        const auto path = findSkinFile(m_folders, name);
        return path ? layoutFile(*path) : layoutText({});
    }

private:
    std::vector<std::string> m_folders;
};

// A picture step: the holder takes the picture only when it loaded.
void take(QPixmap& holder, const QPixmap& picture) {
    if (!picture.isNull()) {
        holder = picture;
    }
}

std::optional<int> toPixels(float twips, double perPixel) {
    const double pixels = std::round(static_cast<double>(twips) / perPixel);
    if (!(std::fabs(pixels) <= kMaxPixel)) {
        return std::nullopt;
    }
    return static_cast<int>(pixels);
}

QWidget* control(QWidget* window, const std::string& name) {
    return window ? window->findChild<QWidget*>(QString::fromStdString(name)) : nullptr;
}

void applyLayout(QWidget* window, const std::vector<LayoutStep>& steps) {
    if (window == nullptr) {
        return;
    }
    const double perPixel = twipsPerPixel(window);
    for (const LayoutStep& step : steps) {
        QWidget* w = control(window, step.control);
        if (w == nullptr) {
            continue;
        }
        switch (step.property) {
            case LayoutProperty::Left:
                if (auto x = toPixels(step.twips, perPixel)) {
                    w->move(*x, w->y());
                }
                break;
            case LayoutProperty::Top:
                if (auto y = toPixels(step.twips, perPixel)) {
                    w->move(w->x(), *y);
                }
                break;
            case LayoutProperty::TextColor: {
                QPalette palette = w->palette();
                palette.setColor(QPalette::WindowText, QColor::fromRgb(step.rgb));
                w->setPalette(palette);
                break;
            }
            case LayoutProperty::ListUnderHeader:
                if (QWidget* header = control(window, step.header)) {
                    if (auto below = toPixels(step.twips, perPixel)) {
                        w->move(header->x(), header->y() + *below);
                    }
                }
                break;
        }
    }
}

void setButtonPicture(QWidget* window, const char* name, const QPixmap& picture) {
    if (window == nullptr || picture.isNull()) {
        return;
    }
    if (auto* button = window->findChild<PictureButton*>(QLatin1String(name))) {
        button->setPicture(picture);
    }
}

// Waits for the window's first show and then gives it its face.
class FaceOnFirstShow final : public QObject {
public:
    FaceOnFirstShow(QWidget* window, SkinPlaces places)
        : QObject(window), m_window(window), m_places(std::move(places)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Show) {
            m_window->removeEventFilter(this);
            applyRecordsFace(m_window, m_places);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_window;
    SkinPlaces m_places;
};

}  // namespace

void applyRecordsFaceOnFirstShow(QWidget* recordsWindow, const SkinPlaces& places) {
    new FaceOnFirstShow(recordsWindow, places);
}

double twipsPerPixel(const QWidget* window) {
    const QScreen* screen = window ? window->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

MainFaces lireskin(QWidget* mainWindow, const std::function<QWidget*()>& recordsWindow,
                   const SkinPlaces& places, const std::function<void(const MainFaces&)>& showFaces) {
    const SkinFiles skin(places);
    QWidget* records = nullptr;
    auto windowFor = [&](SkinWindow which) -> QWidget* {
        if (which == SkinWindow::Main) {
            return mainWindow;
        }
        if (records == nullptr && recordsWindow) {
            records = recordsWindow();
        }
        return records;
    };

    // The built-in look first; the skin then overrides it item by item.
    MainFaces faces;
    faces.options = builtinPicture("image2.gif");
    faces.compact = builtinPicture("image1.gif");
    take(faces.options, skin.picture("image2.gif"));
    take(faces.compact, skin.picture("image1.gif"));
    take(faces.options, skin.picture("image2.bmp"));
    take(faces.compact, skin.picture("image1.bmp"));

    for (const PictureStep& step : buttonPictureSteps()) {
        QPixmap picture = builtinPicture(step.file);
        take(picture, skin.picture(step.file));
        if (step.window == SkinWindow::Main && std::string_view(step.control) == "Command15") {
            faces.compactButton = picture;
        } else if (step.window == SkinWindow::Main && std::string_view(step.control) == "command14") {
            faces.optionsButton = picture;
        }
        setButtonPicture(windowFor(step.window), step.control, picture);
    }
    // The Options button starts on the compact view's picture: the very same one.
    setButtonPicture(mainWindow, "Command3", faces.compactButton);

    if (!showFaces && mainWindow != nullptr && !faces.options.isNull()) {
        mainWindow->resize(faces.options.deviceIndependentSize().toSize());
    }

    applyLayout(mainWindow, readMainLayout(layoutText(builtinText("fichier1.ini"))));
    applyLayout(mainWindow, readMainLayout(skin.layout("fichier1.ini")));
    QWidget* recordsTarget = windowFor(SkinWindow::Records);
    applyLayout(recordsTarget, readRecordsLayout(layoutText(builtinText("fichier2.ini"))));
    applyLayout(recordsTarget, readRecordsLayout(skin.layout("fichier2.ini")));

    if (showFaces) {
        showFaces(faces);
    } else {
        applyFace(mainWindow, faces.compact);
    }
    return faces;
}

void applyRecordsFace(QWidget* recordsWindow, const SkinPlaces& places) {
    if (recordsWindow == nullptr) {
        return;
    }
    const SkinFiles skin(places);
    QPixmap face = builtinPicture("image3.gif");
    take(face, skin.picture("image3.gif"));
    take(face, skin.picture("image3.bmp"));
    if (!face.isNull()) {
        recordsWindow->resize(face.deviceIndependentSize().toSize());
    }
    applyFace(recordsWindow, face);
}

}  // namespace vq
