#include "skins/qt/face.h"

#include <QEvent>
#include <QPainter>
#include <QVector>

#include "skins/region.h"

namespace vq {

namespace {

// Paints the face under the window's own painting; an event filter rather than a palette brush,
// so that dialogs parented to the window do not inherit the picture as their background.
class FacePainter final : public QObject {
public:
    explicit FacePainter(QWidget* window) : QObject(window), m_window(window) {
        setObjectName(QStringLiteral("vqFacePainter"));
        window->installEventFilter(this);
    }
    void setFace(const QPixmap& face) { m_face = face; }
    const QPixmap& face() const { return m_face; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Paint && !m_face.isNull()) {
            QPainter painter(m_window);
            painter.drawPixmap(0, 0, m_face);
        }
        return false;
    }

private:
    QWidget* m_window;
    QPixmap m_face;
};

FacePainter* painterOf(const QWidget* window) {
    return window->findChild<FacePainter*>(QStringLiteral("vqFacePainter"), Qt::FindDirectChildrenOnly);
}

// The runs come row by row, left to right, never touching: QRegion's own banded form once the
// rows whose runs are identical are merged into one taller band (the form QRegion keeps, so that
// regions compare equal and the window system gets few rectangles).
QVector<QRect> bandedRects(const std::vector<RegionRect>& runs) {
    QVector<QRect> rects;
    std::size_t bandStart = 0;  // first run of the last band in `runs`
    std::size_t bandSize = 0;
    qsizetype bandFirstRect = 0;
    std::size_t i = 0;
    while (i < runs.size()) {
        std::size_t end = i;
        while (end < runs.size() && runs[end].top == runs[i].top) {
            ++end;
        }
        const std::size_t size = end - i;
        bool sameAsBand = bandSize == size && !rects.isEmpty() && rects.last().bottom() + 1 == runs[i].top;
        for (std::size_t k = 0; sameAsBand && k < size; ++k) {
            sameAsBand = runs[bandStart + k].left == runs[i + k].left &&
                         runs[bandStart + k].right == runs[i + k].right;
        }
        if (sameAsBand) {
            for (qsizetype k = bandFirstRect; k < rects.size(); ++k) {
                rects[k].setBottom(runs[i].top);
            }
        } else {
            bandStart = i;
            bandSize = size;
            bandFirstRect = rects.size();
            for (std::size_t k = i; k < end; ++k) {
                rects.append(
                    QRect(QPoint(runs[k].left, runs[k].top), QPoint(runs[k].right - 1, runs[k].top)));
            }
        }
        i = end;
    }
    return rects;
}

// A window shape goes to the display in one request; X servers without big requests refuse one
// over 256 KiB, that is some 32,000 rectangles.
constexpr qsizetype kMaxShapeRects = 30000;

}  // namespace

QRegion faceRegion(const QImage& face) {
    if (face.isNull()) {
        return {};
    }
    // 32-bit pixels compared exactly, as the picture holds them (alpha included).
    const QImage pixels = face.convertToFormat(QImage::Format_ARGB32);
    const int width = pixels.width();
    const int height = pixels.height();
    std::vector<RegionRect> runs;
    if (pixels.bytesPerLine() == static_cast<qsizetype>(width) * 4) {
        runs =
            MakeRegion(PixelGrid{width, height, reinterpret_cast<const std::uint32_t*>(pixels.constBits())});
    } else {
        std::vector<std::uint32_t> packed;
        packed.reserve(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const std::uint32_t*>(pixels.constScanLine(y));
            packed.insert(packed.end(), line, line + width);
        }
        runs = MakeRegion(PixelGrid{width, height, packed.data()});
    }
    if (runs.empty()) {
        return {};
    }
    QVector<QRect> rects = bandedRects(runs);
    if (rects.size() > kMaxShapeRects) {
        // Too many runs for one request to the display (a dithered picture): each row keeps one
        // span, from its first shaped pixel to its last, which at worst leaves a few holes filled.
        std::vector<RegionRect> spans;
        for (std::size_t i = 0; i < runs.size();) {
            std::size_t end = i;
            while (end < runs.size() && runs[end].top == runs[i].top) {
                ++end;
            }
            spans.push_back(RegionRect{runs[i].left, runs[i].top, runs[end - 1].right, runs[i].bottom});
            i = end;
        }
        rects = bandedRects(spans);
    }
    if (rects.size() > kMaxShapeRects) {
        return {};  // unshaped
    }
    QRegion region;
    region.setRects(rects.constData(), static_cast<int>(rects.size()));
    return region;
}

void applyFace(QWidget* window, const QPixmap& face) {
    if (window == nullptr) {
        return;
    }
    const QRegion region = faceRegion(face.toImage());
    if (region.isEmpty()) {
        window->clearMask();
    } else {
        window->setMask(region);
    }
    FacePainter* painter = painterOf(window);
    if (painter == nullptr) {
        painter = new FacePainter(window);
    }
    painter->setFace(face);
    window->update();
}

QPixmap appliedFace(const QWidget* window) {
    const FacePainter* painter = window ? painterOf(window) : nullptr;
    return painter ? painter->face() : QPixmap();
}

}  // namespace vq
