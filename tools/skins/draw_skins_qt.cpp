// Draws the bundled skins: the faces, the button pictures and the two layout files of each skin.
// Not part of the program; make_skins.sh builds and runs it and converts the pictures.
//
//   draw_skins <output folder>   writes <output>/<skin>/imageN.png and fichier1.ini, fichier2.ini
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <functional>
#include <map>
#include <vector>

#include "skins/qt/glyphs.h"

namespace {

const QColor kCut(255, 0, 255);  // the top-left pixel: cut away by the window outline

// One control placed by a layout file: key, pixel position, optional label colour.
struct Place {
    QString key;
    int x;
    int y;
    QColor color;  // invalid: no "Couleur" line
};

// Writes the three sections in twips (15 per pixel) and colours as decimal 0x00BBGGRR.
void writeLayout(const QString& path, const QString& comment, const std::vector<Place>& places) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    QTextStream out(&file);
    out << "; " << comment << "\r\n";
    out << "[Top]\r\n";
    for (const Place& p : places) {
        out << p.key << "=" << p.y * 15 << "\r\n";
    }
    out << "[Left]\r\n";
    for (const Place& p : places) {
        out << p.key << "=" << p.x * 15 << "\r\n";
    }
    out << "[Couleur]\r\n";
    for (const Place& p : places) {
        if (p.color.isValid()) {
            out << p.key << "=" << (p.color.red() | (p.color.green() << 8) | (p.color.blue() << 16))
                << "\r\n";
        }
    }
}

// A picture whose outside is the cut colour, with `shape` filled by `paint` (clipped, so that the
// outline itself is never blended with the cut colour).
QImage face(int w, int h, const QPainterPath& shape, const std::function<void(QPainter&)>& paint) {
    QImage content(w, h, QImage::Format_RGB32);
    content.fill(Qt::black);
    QPainter p(&content);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paint(p);
    p.end();
    // Each pixel is either wholly inside the shape (the drawing) or wholly outside (the cut colour):
    // an edge blended with the cut colour would show as a coloured fringe once the outline is cut.
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(content.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool inside = shape.contains(QPointF(x + 0.5, y + 0.5));
            QRgb c = inside ? from[x] : kCut.rgb();
            if (inside && (c & 0xFFFFFF) == 0xFF00FF) {
                c = qRgb(254, 0, 254);  // would otherwise become a hole
            }
            line[x] = c;
        }
    }
    return img;
}

QPainterPath rounded(QRectF r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath chamfered(QRectF r, qreal c) {
    QPainterPath path;
    path.moveTo(r.left() + c, r.top());
    path.lineTo(r.right() - c, r.top());
    path.lineTo(r.right(), r.top() + c);
    path.lineTo(r.right(), r.bottom() - c);
    path.lineTo(r.right() - c, r.bottom());
    path.lineTo(r.left() + c, r.bottom());
    path.lineTo(r.left(), r.bottom() - c);
    path.lineTo(r.left(), r.top() + c);
    path.closeSubpath();
    return path;
}

QFont font(int pixels, bool bold = false, bool italic = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// ---- Button pictures ---------------------------------------------------------------------------

struct Tile {
    QColor top, bottom, border, ink;
    bool chamfer;
};

// A button picture: transparent corners (GIF transparency), tile and glyph or caption.
QImage button(int w, int h, const Tile& t, const QString& g) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const QRectF box(0, 0, w, h);
    const QPainterPath shape = t.chamfer ? chamfered(box, 5) : rounded(box, 5);
    p.setClipPath(shape);  // aliased: the edge stays crisp once transparency is one bit
    QLinearGradient grad(0, 0, 0, h);
    grad.setColorAt(0, t.top);
    grad.setColorAt(1, t.bottom);
    p.fillRect(box, grad);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(t.border, 2));
    p.drawPath(shape);
    vq::drawGlyph(p, g, box, t.ink);
    p.end();
    // One bit of transparency, as a GIF keeps it.
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            line[x] = qAlpha(line[x]) < 128 ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000);
        }
    }
    return img;
}

void save(const QImage& img, const QString& path) {
    if (!img.save(path)) {
        qFatal("cannot write %s", qPrintable(path));
    }
}

// The seventeen button pictures (and the three unused numbers, for a complete set).
void drawButtons(const QString& dir, const Tile& normal, const Tile& quit, const Tile& records) {
    const int s = 26;
    save(button(s, s, normal, "skin"), dir + "/image4.png");
    save(button(s, s, normal, "save"), dir + "/image6.png");
    save(button(s, s, normal, "?"), dir + "/image9.png");
    save(button(s, s, normal, "down"), dir + "/image10.png");
    save(button(s, s, normal, "up"), dir + "/image11.png");
    save(button(s, s, normal, "reduce"), dir + "/image12.png");
    save(button(s, s, normal, "print"), dir + "/image13.png");
    save(button(s, s, normal, "delete"), dir + "/image14.png");
    save(button(s, s, normal, "records"), dir + "/image15.png");
    save(button(s, s, quit, "quit"), dir + "/image16.png");
    save(button(s, s, quit, "quit"), dir + "/image17.png");
    save(button(38, 26, records, "OK"), dir + "/image18.png");
    save(button(20, 20, quit, "quit"), dir + "/image19.png");
    save(button(70, 26, records, "Modifier"), dir + "/image20.png");
    save(button(70, 26, records, "Ajouter"), dir + "/image21.png");
    save(button(108, 26, records, "Supprimer"), dir + "/image22.png");
    save(button(38, 26, records, "OK"), dir + "/image23.png");
    // Numbers the program does not read; kept so that a skin holds image1 to image23.
    save(button(s, s, normal, "down"), dir + "/image5.png");
    save(button(s, s, normal, "up"), dir + "/image7.png");
    save(button(s, s, normal, "?"), dir + "/image8.png");
}

// ---- Classique: rounded, navy and steel, light settings panel ----------------------------------

void classique(const QString& dir) {
    const int w = 400, hc = 146, ho = 326;
    const QColor top(40, 62, 98), bottom(20, 32, 54), groove(10, 16, 30), light(255, 255, 255, 34);
    auto body = [&](QPainter& p, int h) {
        QLinearGradient g(0, 0, 0, hc);
        g.setColorAt(0, top);
        g.setColorAt(1, bottom);
        p.fillRect(0, 0, w, h, bottom);
        p.fillRect(0, 0, w, hc, g);
        // Wells under the three counters (the counters are 116 x 30 at y 28).
        for (int x : {14, 142, 270}) {
            p.setPen(QPen(light, 1));
            p.setBrush(groove);
            p.drawRoundedRect(QRectF(x - 3.5, 24.5, 122, 37), 5, 5);
        }
        p.setPen(QPen(QColor(255, 255, 255, 22), 1));
        p.drawLine(QPointF(14, 66.5), QPointF(w - 14, 66.5));
        p.setPen(QColor(150, 172, 210));
        p.setFont(font(13, true, true));
        p.drawText(QRectF(212, 114, 110, 26), Qt::AlignCenter, QStringLiteral("Varlotte Qyr"));
    };
    auto rim = [&](QPainter& p, const QPainterPath& shape) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(120, 150, 200, 110), 2));
        p.drawPath(shape);
    };
    const QPainterPath compactShape = rounded(QRectF(0, 0, w, hc), 14);
    save(face(w, hc, compactShape,
              [&](QPainter& p) {
                  body(p, hc);
                  rim(p, compactShape);
              }),
         dir + "/image1.png");
    const QPainterPath optionsShape = rounded(QRectF(0, 0, w, ho), 14);
    save(face(w, ho, optionsShape,
              [&](QPainter& p) {
                  body(p, ho);
                  p.setPen(QPen(groove, 1));
                  p.drawLine(QPointF(10, hc + 0.5), QPointF(w - 10, hc + 0.5));
                  p.setPen(QPen(light, 1));
                  p.drawLine(QPointF(10, hc + 1.5), QPointF(w - 10, hc + 1.5));
                  p.setPen(QPen(QColor(170, 184, 204), 1));
                  p.setBrush(QColor(232, 236, 242));
                  p.drawRoundedRect(QRectF(8.5, 172.5, w - 17, ho - 181), 8, 8);
                  rim(p, optionsShape);
              }),
         dir + "/image2.png");

    // Records window, 640 x 400: a title band, the list in a light well, the entry rows below.
    const int rw = 640, rh = 400;
    const QPainterPath recordsShape = rounded(QRectF(0, 0, rw, rh), 14);
    save(face(rw, rh, recordsShape,
              [&](QPainter& p) {
                  p.fillRect(0, 0, rw, rh, QColor(214, 222, 232));
                  QLinearGradient g(0, 0, 0, 36);
                  g.setColorAt(0, top);
                  g.setColorAt(1, bottom);
                  p.fillRect(0, 0, rw, 36, g);
                  p.setPen(Qt::white);
                  p.setFont(font(14, true));
                  p.drawText(QRectF(20, 0, 300, 36), Qt::AlignVCenter, QStringLiteral("Modification"));
                  p.setPen(QColor(150, 172, 210));
                  p.setFont(font(12, true, true));
                  p.drawText(QRectF(300, 0, 290, 36), Qt::AlignVCenter | Qt::AlignRight,
                             QStringLiteral("Varlotte Qyr"));
                  p.setPen(QPen(QColor(170, 184, 204), 1));
                  p.setBrush(QColor(236, 240, 245));
                  p.drawRoundedRect(QRectF(10.5, 40.5, rw - 21, 228), 7, 7);
                  p.drawRoundedRect(QRectF(10.5, 274.5, rw - 21, rh - 283), 7, 7);
                  rim(p, recordsShape);
              }),
         dir + "/image3.png");

    drawButtons(dir, Tile{QColor(84, 116, 164), QColor(58, 84, 126), QColor(140, 170, 215), Qt::white, false},
                Tile{QColor(170, 72, 72), QColor(128, 46, 46), QColor(220, 130, 130), Qt::white, false},
                Tile{QColor(84, 116, 164), QColor(58, 84, 126), QColor(140, 170, 215), Qt::white, false});

    const QColor onFace(205, 218, 238), onPanel(30, 40, 60);
    writeLayout(dir + "/fichier1.ini", "Classique: main window",
                {
                    {"Label1(1)", 18, 183, onPanel},
                    {"Label1(2)", 118, 183, onPanel},
                    {"Label1(3)", 18, 211, onPanel},
                    {"Label1(4)", 124, 211, onPanel},
                    {"Label1(5)", 276, 211, onPanel},
                    {"Label1(6)", 18, 295, onPanel},
                    {"Label1(7)", 234, 295, onPanel},
                    {"Label1(8)", 100, 239, onPanel},
                    {"Label1(9)", 206, 239, onPanel},
                    {"Label1(10)", 18, 267, onPanel},
                    {"Label1(11)", 196, 183, onPanel},
                    {"Label1(12)", 142, 10, onFace},
                    {"Label1(13)", 270, 10, onFace},
                    {"Label4", 14, 10, onFace},
                    {"Label6", 14, 154, onFace},
                    {"command3", 14, 114, {}},
                    {"command11", 46, 114, {}},
                    {"command8", 78, 114, {}},
                    {"command9", 110, 114, {}},
                    {"command12", 142, 114, {}},
                    {"command10", 174, 114, {}},
                    {"command2", 328, 114, {}},
                    {"command1", 360, 114, {}},
                    {"command5", 328, 288, {}},
                    {"command4", 360, 288, {}},
                    {"LCD1", 142, 28, {}},
                    {"LCD2", 270, 28, {}},
                    {"Durée", 14, 28, {}},
                    {"progressbar1", 14, 102, {}},
                    {"connect", 14, 72, {}},
                    {"connection", 224, 72, {}},
                    {"temps", 70, 180, {}},
                    {"text4", 310, 180, {}},
                    {"text3", 70, 208, {}},
                    {"text6", 222, 208, {}},
                    {"text7", 170, 292, {}},
                    {"check1", 18, 237, {}},
                    {"heuredep", 122, 236, {}},
                    {"heurefin", 222, 236, {}},
                    {"text5", 100, 264, {}},
                });
    const QColor caption(30, 40, 60);
    writeLayout(dir + "/fichier2.ini", "Classique: records window",
                {
                    {"DataGrid1", 20, 44, {}},        {"text4", 20, 300, {}},
                    {"text6", 130, 300, {}},          {"text5", 240, 300, {}},
                    {"text10", 350, 300, {}},         {"text3", 20, 330, {}},
                    {"text2", 130, 330, {}},          {"text9", 240, 330, {}},
                    {"text99", 350, 330, {}},         {"label1(0)", 20, 281, caption},
                    {"label1(2)", 130, 281, caption}, {"label1(3)", 240, 281, caption},
                    {"label1(1)", 350, 281, caption}, {"command2", 512, 298, {}},
                    {"command3", 586, 298, {}},       {"command4", 512, 328, {}},
                    {"command5", 586, 328, {}},       {"command1", 512, 360, {}},
                    {"command6", 610, 8, {}},
                });
}

// ---- Nuit: chamfered, charcoal and amber, buttons on a tab under the counters --------------------

void nuit(const QString& dir) {
    const int w = 400, hc = 190, ho = 392;
    const QColor dark(28, 28, 34), darker(16, 16, 20), amber(240, 160, 48), soft(236, 222, 196);
    auto compactPath = [&] {
        // The body and, under it, a tab holding the buttons.
        QPainterPath body = chamfered(QRectF(0, 0, w, 146), 20);
        QPainterPath tab = chamfered(QRectF(90, 120, 220, hc - 120), 14);
        return body.united(tab).simplified();
    };
    auto counters = [&](QPainter& p) {
        p.setPen(QPen(amber, 2));
        p.setFont(font(12, true));
        p.drawText(QRectF(26, 4, 200, 26), Qt::AlignVCenter, QStringLiteral("V A R L O T T E   Q Y R"));
        p.setPen(QPen(QColor(240, 160, 48, 90), 1));
        p.drawLine(QPointF(20, 31.5), QPointF(w - 20, 31.5));
        for (int x : {20, 142, 264}) {
            p.setPen(QPen(amber, 1.5));
            p.setBrush(darker);
            p.drawRect(QRectF(x - 3, 53, 122, 36));
        }
    };
    const QPainterPath compactShape = compactPath();
    save(face(w, hc, compactShape,
              [&](QPainter& p) {
                  QLinearGradient g(0, 0, 0, hc);
                  g.setColorAt(0, dark);
                  g.setColorAt(1, darker);
                  p.fillRect(0, 0, w, hc, g);
                  counters(p);
                  p.setBrush(Qt::NoBrush);
                  p.setPen(QPen(amber, 3));
                  p.drawPath(compactShape);
              }),
         dir + "/image1.png");
    const QPainterPath optionsShape = chamfered(QRectF(0, 0, w, ho), 20);
    save(face(w, ho, optionsShape,
              [&](QPainter& p) {
                  QLinearGradient g(0, 0, 0, ho);
                  g.setColorAt(0, dark);
                  g.setColorAt(1, darker);
                  p.fillRect(0, 0, w, ho, g);
                  counters(p);
                  p.setPen(QPen(QColor(240, 160, 48, 140), 1));
                  p.setBrush(QColor(40, 40, 48));
                  p.drawPath(chamfered(QRectF(12.5, 214.5, w - 25, ho - 228), 10));
                  // A light chip under the "Gratuit" box, whose text is dark.
                  p.setPen(Qt::NoPen);
                  p.setBrush(soft);
                  p.drawRoundedRect(QRectF(20, 284, 82, 26), 4, 4);
                  p.setBrush(Qt::NoBrush);
                  p.setPen(QPen(amber, 3));
                  p.drawPath(optionsShape);
              }),
         dir + "/image2.png");

    const int rw = 640, rh = 400;
    const QPainterPath recordsShape = chamfered(QRectF(0, 0, rw, rh), 24);
    save(face(rw, rh, recordsShape,
              [&](QPainter& p) {
                  QLinearGradient g(0, 0, 0, rh);
                  g.setColorAt(0, dark);
                  g.setColorAt(1, darker);
                  p.fillRect(0, 0, rw, rh, g);
                  p.setPen(amber);
                  p.setFont(font(13, true));
                  p.drawText(QRectF(30, 4, 400, 30), Qt::AlignVCenter,
                             QStringLiteral("M O D I F I C A T I O N"));
                  p.setPen(QPen(QColor(240, 160, 48, 90), 1));
                  p.drawLine(QPointF(24, 34.5), QPointF(rw - 24, 34.5));
                  // The list header's text is dark: a light strip under it.
                  p.setPen(Qt::NoPen);
                  p.setBrush(soft);
                  p.drawRect(QRectF(20, 134, 600, 17));
                  p.setBrush(Qt::NoBrush);
                  p.setPen(QPen(amber, 3));
                  p.drawPath(recordsShape);
              }),
         dir + "/image3.png");

    drawButtons(dir, Tile{QColor(56, 56, 64), QColor(34, 34, 40), amber, amber, true},
                Tile{QColor(150, 50, 30), QColor(100, 30, 20), amber, soft, true},
                Tile{QColor(56, 56, 64), QColor(34, 34, 40), amber, soft, true});

    const int r1 = 226, r2 = 258, r3 = 290, r4 = 322, r5 = 354;
    writeLayout(dir + "/fichier1.ini", "Nuit: main window",
                {
                    {"Label1(1)", 26, r1 + 3, soft},
                    {"Label1(2)", 142, r1 + 3, soft},
                    {"Label1(11)", 196, r1 + 3, soft},
                    {"Label1(3)", 26, r2 + 3, soft},
                    {"Label1(4)", 146, r2 + 3, soft},
                    {"Label1(5)", 300, r2 + 3, soft},
                    {"Label1(8)", 112, r3 + 3, soft},
                    {"Label1(9)", 216, r3 + 3, soft},
                    {"Label1(10)", 26, r4 + 3, soft},
                    {"Label1(6)", 26, r5 + 3, soft},
                    {"Label1(7)", 254, r5 + 3, soft},
                    {"Label1(12)", 142, 37, amber},
                    {"Label1(13)", 264, 37, amber},
                    {"Label4", 20, 37, amber},
                    {"Label6", 26, 196, amber},
                    {"command3", 108, 140, {}},
                    {"command11", 140, 140, {}},
                    {"command8", 172, 140, {}},
                    {"command9", 204, 140, {}},
                    {"command12", 236, 140, {}},
                    {"command10", 268, 140, {}},
                    {"command2", 330, 5, {}},
                    {"command1", 362, 5, {}},
                    {"command5", 318, 350, {}},
                    {"command4", 350, 350, {}},
                    {"LCD1", 142, 56, {}},
                    {"LCD2", 264, 56, {}},
                    {"Durée", 20, 56, {}},
                    {"progressbar1", 14, 126, {}},
                    {"connect", 20, 96, {}},
                    {"connection", 232, 96, {}},
                    {"temps", 94, r1, {}},
                    {"text4", 330, r1, {}},
                    {"text3", 94, r2, {}},
                    {"text6", 246, r2, {}},
                    {"text7", 188, r5, {}},
                    {"check1", 26, r3 + 2, {}},
                    {"heuredep", 134, r3, {}},
                    {"heurefin", 234, r3, {}},
                    {"text5", 112, r4, {}},
                });
    writeLayout(
        dir + "/fichier2.ini", "Nuit: records window",
        {
            {"DataGrid1", 20, 134, {}},    {"text4", 20, 64, {}},         {"text6", 130, 64, {}},
            {"text5", 240, 64, {}},        {"text10", 350, 64, {}},       {"text3", 20, 98, {}},
            {"text2", 130, 98, {}},        {"text9", 240, 98, {}},        {"text99", 350, 98, {}},
            {"label1(0)", 20, 44, amber},  {"label1(2)", 130, 44, amber}, {"label1(3)", 240, 44, amber},
            {"label1(1)", 350, 44, amber}, {"command2", 512, 62, {}},     {"command3", 586, 62, {}},
            {"command4", 512, 96, {}},     {"command5", 586, 96, {}},     {"command1", 512, 360, {}},
            {"command6", 604, 7, {}},
        });
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (const auto& [name, draw] :
         std::map<QString, std::function<void(const QString&)>>{{"classique", classique}, {"nuit", nuit}}) {
        const QString dir = out + "/" + name;
        QDir().mkpath(dir);
        draw(dir);
    }
    return 0;
}
