#include "shell/qt/about_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "shell/update_addresses.h"

namespace vq {

namespace {

// Positions and sizes are designed in twips, 15 to a pixel.
constexpr int px(int twips) {
    return twips / 15;
}

QFont labelFont(double points) {
    QFont font;
    // The heavy face the box was drawn with, else the nearest bold sans-serif.
    font.setFamilies(
        {QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setWeight(QFont::Black);
    font.setPointSizeF(points);
    return font;
}

QLabel* addLabel(QWidget* box, const char* name, const QString& text, int left, int top,
                 double points = 8.25) {
    auto* label = new QLabel(text, box);
    label->setObjectName(QString::fromUtf8(name));
    label->setFont(labelFont(points));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 0));
    label->setPalette(palette);
    label->move(px(left), px(top));
    label->adjustSize();
    return label;
}

}  // namespace

AboutBox::AboutBox(std::function<void()> showMainWindow, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      m_showMainWindow(std::move(showMainWindow)) {
    setObjectName(QStringLiteral("Créateur"));
    setWindowTitle(QStringLiteral("Concepteur"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(px(3735), px(1695));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(255, 128, 0));
    setPalette(palette);
    setAutoFillBackground(true);

    auto* shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setFrameShape(QFrame::Box);
    shape->setLineWidth(1);
    shape->setGeometry(rect());
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* close = new QPushButton(QStringLiteral("Q"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setGeometry(px(120), px(120), px(255), px(255));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    addLabel(this, "Label3", QStringLiteral("Varlotte Qyr"), 840, 120, 12);
    addLabel(this, "Label4", QStringLiteral("v 3.23"), 2880, 240);
    addLabel(this, "Label2", QStringLiteral("Créé par Ondine Marsac"), 600, 600);
    addLabel(this, "Label6", QString::fromUtf8(kAuthorMail), 600, 840);
    addLabel(this, "Label1", QStringLiteral("Aide, skins et info sur :"), 360, 1080);
    addLabel(this, "Label5", QString::fromUtf8(kWebSiteShown), 1080, 1320);
}

void AboutBox::closeEvent(QCloseEvent* event) {
    // Destroyed once closed (WA_DeleteOnClose); the main window comes back whichever way it closed.
    event->accept();
    if (m_showMainWindow) {
        m_showMainWindow();
    }
}

}  // namespace vq
