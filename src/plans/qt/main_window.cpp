#include "plans/qt/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QShortcut>
#include <QTimer>

#include "plans/day_progress.h"
#include "plans/key_filters.h"
#include "plans/qt/key_press_filter.h"
#include "records/record_store.h"
#include "skins/qt/glyphs.h"
#include "skins/qt/picture_button.h"
#include "skins/qt/window_chrome.h"

namespace vq {
namespace {

// The built-in look: the options view is the whole window, the compact view its top part.
constexpr int kWidth = 400;
constexpr int kCompactHeight = 146;
constexpr int kOptionsHeight = 326;
constexpr int kButtonSize = 26;

const QColor kFaceTop(38, 58, 92);
const QColor kFaceBottom(22, 34, 56);
const QColor kPanel(232, 236, 242);
const QColor kCaptionOnFace(205, 218, 238);
const QColor kCaptionOnPanel(30, 40, 60);

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A small white symbol on a rounded tile, for the buttons until a skin gives their pictures.
QPixmap builtinPicture(const QString& glyph, QColor tile = QColor(74, 104, 150)) {
    const qreal dpr = 2;
    QPixmap pixmap(QSize(kButtonSize, kButtonSize) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tileShape;
    tileShape.addRoundedRect(QRectF(0.5, 0.5, kButtonSize - 1, kButtonSize - 1), 5, 5);
    p.fillPath(tileShape, tile);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawPath(tileShape);
    drawGlyph(p, glyph, QRectF(0, 0, kButtonSize, kButtonSize), Qt::white);
    return pixmap;
}

void setTextColor(QWidget* w, const QColor& c) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, c);
    w->setPalette(pal);
}

}  // namespace

MainWindow::MainWindow(Engine& engine, PlanActions& plans, RecordStore& records, Dialogs& dialogs,
                       ReportPrinter& printer, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_engine(engine),
      m_state(engine.state()),
      m_plans(plans),
      m_records(records),
      m_dialogs(dialogs),
      m_printer(printer) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setFixedSize(kWidth, kOptionsHeight);
    setTextColor(this, kCaptionOnFace);

    buildCounters();
    buildSettingsPanel();
    buildButtons();
    connectEdits();
    // No button opens the statistics (a skin places every button), a key does.
    auto* statistics = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(statistics, &QShortcut::activated, this, &MainWindow::statisticsRequested);

    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    connect(m_timer2, &QTimer::timeout, this, &MainWindow::onTimer2);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer1, &QTimer::timeout, this, &MainWindow::onTimer1);

    m_engineListener = m_engine.stateChanged.add([this] { refresh(); });
    m_plans.stateChanged = [this] { refresh(); };

    applyView();
    refresh();
}

MainWindow::~MainWindow() {
    m_engine.stateChanged.remove(m_engineListener);
    m_plans.stateChanged = nullptr;
}

PictureButton* MainWindow::button(const QString& objectName, const QString& toolTip, const QString& glyph,
                                  int x, int y) {
    PictureButton* b = addPictureButton(this, objectName, toolTip, x, y);
    b->setPicture(builtinPicture(
        glyph, objectName == QLatin1String("Command1") || objectName == QLatin1String("Command4")
                   ? QColor(150, 62, 62)
                   : QColor(74, 104, 150)));
    return b;
}

void MainWindow::buildCounters() {
    QFont lcdFont(QStringLiteral("DejaVu Sans Mono"));
    lcdFont.setStyleHint(QFont::Monospace);
    lcdFont.setPixelSize(20);
    lcdFont.setBold(true);
    auto lcd = [&](const QString& name, int x) {
        auto* label = new QLabel(this);
        label->setObjectName(name);
        label->setFont(lcdFont);
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        QPalette pal = label->palette();
        pal.setColor(QPalette::Window, QColor(12, 20, 30));
        pal.setColor(QPalette::WindowText, QColor(120, 230, 140));
        label->setPalette(pal);
        label->setGeometry(x, 28, 116, 30);
        return label;
    };
    // Captions of the counters.
    auto* lengthCaption =
        addCaption(this, QStringLiteral("Label4"), QStringLiteral("Temps de connexion"), 14, 10);
    lengthCaption->setFont([] {
        QFont f;
        f.setPixelSize(11);
        return f;
    }());
    lengthCaption->adjustSize();
    m_connectionLength = lcd(QStringLiteral("Durée"), 14);
    m_monthTotal = lcd(QStringLiteral("LCD1"), 142);
    m_allowanceLeft = lcd(QStringLiteral("LCD2"), 270);

    // The label array Label1(0) to Label1(14): the skin files address element i as "Label1(i)".
    // Element 0 holds the connection length as shown and is never placed by a skin.
    m_connectionLengthCopy = new QLabel(this);
    m_connectionLengthCopy->setObjectName(QStringLiteral("Label1_0"));
    m_connectionLengthCopy->hide();

    m_planBox = new QComboBox(this);
    m_planBox->setObjectName(QStringLiteral("connect"));
    m_planBox->setEditable(true);
    m_planBox->setInsertPolicy(QComboBox::NoInsert);
    // Longer names could not end a record that reads back whole.
    m_planBox->lineEdit()->setMaxLength(static_cast<int>(kMaxPlanNameChars));
    m_planBox->lineEdit()->setPlaceholderText(QStringLiteral("Nom du forfait"));
    m_planBox->setGeometry(14, 70, 200, 24);

    m_connectionState = new QLabel(this);
    m_connectionState->setObjectName(QStringLiteral("Connection"));
    m_connectionState->setGeometry(224, 70, 160, 24);

    m_allowanceBar = new QProgressBar(this);
    m_allowanceBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_allowanceBar->setTextVisible(false);
    m_allowanceBar->setGeometry(14, 102, 372, 8);
}

void MainWindow::buildSettingsPanel() {
    addCaption(this, QStringLiteral("Label6"), QStringLiteral("Options"), 14, 156);
    auto panelCaption = [&](int i, const QString& text, int x, int y) {
        QLabel* label = addCaption(this, QStringLiteral("Label1_%1").arg(i), text, x, y + 3);
        setTextColor(label, kCaptionOnPanel);
        return label;
    };
    const int row1 = 180, row2 = 208, row3 = 236, row4 = 264, row5 = 292;

    panelCaption(1, QStringLiteral("Forfait"), 18, row1);
    m_allowanceTyped = addTextBox(this, QStringLiteral("Temps2"), 70, row1, 44);
    panelCaption(2, QStringLiteral("h"), 118, row1);
    m_allowanceSaved = addTextBox(this, QStringLiteral("Temps"), 70, row1, 44);
    m_allowanceSaved->hide();
    panelCaption(11, QStringLiteral("Début du mois le"), 196, row1);
    m_monthStartDay = addTextBox(this, QStringLiteral("Text4"), 310, row1, 36);

    panelCaption(3, QStringLiteral("Payant"), 18, row2);
    m_firstMinutePrice = addTextBox(this, QStringLiteral("Text3"), 70, row2, 50);
    panelCaption(4, QStringLiteral("€ la 1ère min"), 124, row2);
    m_minutePrice = addTextBox(this, QStringLiteral("Text6"), 222, row2, 50);
    panelCaption(5, QStringLiteral("€ la min"), 276, row2);

    m_freePeriod = new QCheckBox(QStringLiteral("Gratuit"), this);
    m_freePeriod->setObjectName(QStringLiteral("Check1"));
    m_freePeriod->move(18, row3 + 1);
    m_freePeriod->adjustSize();
    QPalette pal = m_freePeriod->palette();
    pal.setColor(QPalette::WindowText, kCaptionOnPanel);
    m_freePeriod->setPalette(pal);
    panelCaption(8, QStringLiteral("de"), 100, row3);
    m_freeStart = addTextBox(this, QStringLiteral("heuredep"), 122, row3, 76);
    panelCaption(9, QStringLiteral("à"), 206, row3);
    m_freeEnd = addTextBox(this, QStringLiteral("heurefin"), 222, row3, 76);

    panelCaption(10, QStringLiteral("Payant le :"), 18, row4);
    m_payingDay = new QComboBox(this);
    m_payingDay->setObjectName(QStringLiteral("Text5"));
    // Not editable: the box shows one of its list's days or nothing.
    m_payingDay->setEditable(false);
    for (std::string_view day : kDayBoxList)
        m_payingDay->addItem(QString::fromUtf8(day.data(), static_cast<qsizetype>(day.size())));
    m_payingDay->setCurrentIndex(-1);
    m_payingDay->setGeometry(100, row4, 120, 22);

    panelCaption(6, QStringLiteral("Facturation hors forfait :"), 18, row5);
    m_amountDue = addTextBox(this, QStringLiteral("Text7"), 170, row5, 60);
    m_amountDue->setEnabled(false);
    panelCaption(7, QStringLiteral("€"), 234, row5);

    // Captions of the counters and the plan box, kept in the same array.
    QLabel* total = addCaption(this, QStringLiteral("Label1_12"), QStringLiteral("Total du mois"), 142, 10);
    QLabel* left = addCaption(this, QStringLiteral("Label1_13"), QStringLiteral("Reste du forfait"), 270, 10);
    QLabel* plan = addCaption(this, QStringLiteral("Label1_14"), QStringLiteral("Forfait en cours"), 14, 118);
    for (QLabel* l : {total, left, plan}) {
        QFont f = l->font();
        f.setPixelSize(11);
        l->setFont(f);
        l->adjustSize();
    }
    plan->hide();  // the plan box speaks for itself in the built-in look

    // Key filters: the prices take digits and a decimal comma, the month start day and the hidden
    // allowance nothing above ":", the day box only its list.
    KeyPressFilter::install(m_firstMinutePrice, &Saisie_Nombre);
    KeyPressFilter::install(m_minutePrice, &Saisie_Nombre);
    KeyPressFilter::install(m_monthStartDay, &allowanceKeyFilter);
    KeyPressFilter::install(m_allowanceSaved, &allowanceKeyFilter);
    KeyPressFilter::install(m_payingDay, &dayBoxKeyFilter);
}

void MainWindow::buildButtons() {
    const int y = 114;
    int x = 14;
    auto next = [&x] {
        int at = x;
        x += kButtonSize + 6;
        return at;
    };
    m_optionsButton = button(QStringLiteral("Command3"), QStringLiteral("Options"), "down", next(), y);
    PictureButton* records =
        button(QStringLiteral("Command11"), QStringLiteral("Modifier les connexions"), "records", next(), y);
    PictureButton* print =
        button(QStringLiteral("Command8"), QStringLiteral("Imprimer les connexions"), "print", next(), y);
    PictureButton* remove =
        button(QStringLiteral("Command9"), QStringLiteral("Supprimer les connexions"), "delete", next(), y);
    PictureButton* skin =
        button(QStringLiteral("Command12"), QStringLiteral("Changer de skin"), "skin", next(), y);
    PictureButton* about = button(QStringLiteral("Command10"), QStringLiteral("A propos..."), "?", next(), y);
    PictureButton* reduce = button(QStringLiteral("Command2"), QStringLiteral("Réduire"), "reduce",
                                   kWidth - 14 - 2 * kButtonSize - 6, y);
    PictureButton* quit1 =
        button(QStringLiteral("Command1"), QStringLiteral("Quitter"), "quit", kWidth - 14 - kButtonSize, y);
    PictureButton* save = button(QStringLiteral("Command5"), QStringLiteral("Enregistrer ce forfait"), "save",
                                 kWidth - 14 - 2 * kButtonSize - 6, 288);
    PictureButton* quit2 =
        button(QStringLiteral("Command4"), QStringLiteral("Quitter"), "quit", kWidth - 14 - kButtonSize, 288);

    // Invisible holders of the Options button's two pictures: compact view, options view.
    m_compactPictureHolder = button(QStringLiteral("Command15"), QString(), "down", 0, 0);
    m_compactPictureHolder->hide();
    m_optionsPictureHolder = button(QStringLiteral("command14"), QString(), "up", 0, 0);
    m_optionsPictureHolder->hide();
    m_optionsButton->setPicture(m_compactPictureHolder->picture());

    connect(m_optionsButton, &QAbstractButton::clicked, this, &MainWindow::toggleView);
    connect(reduce, &QAbstractButton::clicked, this, &MainWindow::reduceRequested);
    connect(save, &QAbstractButton::clicked, this, &MainWindow::savePlan);
    connect(remove, &QAbstractButton::clicked, this, [this] { m_plans.command9Click(); });
    connect(print, &QAbstractButton::clicked, this, &MainWindow::printReport);
    connect(records, &QAbstractButton::clicked, this, &MainWindow::recordsRequested);
    connect(skin, &QAbstractButton::clicked, this, &MainWindow::skinRequested);
    connect(about, &QAbstractButton::clicked, this, &MainWindow::aboutRequested);
    connect(quit1, &QAbstractButton::clicked, this, &MainWindow::quitRequested);
    connect(quit2, &QAbstractButton::clicked, this, &MainWindow::quitRequested);
}

void MainWindow::connectEdits() {
    // Only the user's own edits are written back: the signals below are not sent when refresh()
    // sets a widget.
    connect(m_planBox->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        m_engine.setPlanName(text.toStdString());
        refresh();
    });
    // Choosing a plan from the list loads it, even when it is the one already named.
    connect(m_planBox, &QComboBox::activated, this, [this](int index) {
        const std::string name = m_planBox->itemText(index).toStdString();
        if (name == m_state.planName)
            m_engine.connectClick();
        else
            m_engine.setPlanName(name);
        refresh();
    });
    auto bind = [this](QLineEdit* edit, std::string MainState::*field) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& t) { m_state.*field = t.toStdString(); });
    };
    bind(m_allowanceTyped, &MainState::temps2);
    bind(m_allowanceSaved, &MainState::temps);
    bind(m_firstMinutePrice, &MainState::firstMinutePrice);
    bind(m_minutePrice, &MainState::minutePrice);
    bind(m_freeStart, &MainState::freeStart);
    bind(m_freeEnd, &MainState::freeEnd);
    bind(m_monthStartDay, &MainState::monthStartDay);
    connect(m_payingDay, &QComboBox::activated, this,
            [this](int index) { m_state.payingDay = m_payingDay->itemText(index).toStdString(); });
    connect(m_freePeriod, &QCheckBox::clicked, this, [this](bool checked) {
        m_state.freePeriod = checked ? 1 : 0;
        applyFreePeriodEnabled();
    });
}

void MainWindow::applyFreePeriodEnabled() {
    const bool on = m_state.freePeriod == 1;
    m_freeStart->setEnabled(on);
    m_freeEnd->setEnabled(on);
    m_payingDay->setEnabled(on);
}

void MainWindow::refresh() {
    if (m_refreshing)
        return;
    m_refreshing = true;
    const MainState& s = m_state;

    // The plan box list changes only when the profiles do, so that an open list is left alone.
    QStringList profiles;
    for (const std::string& p : s.profiles)
        profiles << qs(p);
    QStringList shown;
    for (int i = 0; i < m_planBox->count(); ++i)
        shown << m_planBox->itemText(i);
    if (shown != profiles) {
        const QString text = m_planBox->currentText();
        m_planBox->clear();
        m_planBox->addItems(profiles);
        m_planBox->setEditText(text);
    }
    if (m_planBox->currentText() != qs(s.planName))
        m_planBox->setEditText(qs(s.planName));

    setTextIfChanged(m_monthTotal, s.lcd1);
    setTextIfChanged(m_allowanceLeft, s.lcd2);
    setTextIfChanged(m_connectionLength, s.duree);
    setTextIfChanged(m_connectionLengthCopy, s.label1_0);
    setTextIfChanged(m_connectionState, s.connectionText);
    m_allowanceBar->setMaximum(static_cast<int>(s.progressMax));
    m_allowanceBar->setValue(static_cast<int>(s.progressValue));

    setTextIfChanged(m_allowanceTyped, s.temps2);
    setTextIfChanged(m_allowanceSaved, s.temps);
    setTextIfChanged(m_firstMinutePrice, s.firstMinutePrice);
    setTextIfChanged(m_minutePrice, s.minutePrice);
    setTextIfChanged(m_amountDue, s.amountDue);
    setTextIfChanged(m_freeStart, s.freeStart);
    setTextIfChanged(m_freeEnd, s.freeEnd);
    setTextIfChanged(m_monthStartDay, s.monthStartDay);
    if (m_payingDay->currentText() != qs(s.payingDay))
        m_payingDay->setCurrentIndex(m_payingDay->findText(qs(s.payingDay)));
    m_freePeriod->setChecked(s.freePeriod == 1);
    applyFreePeriodEnabled();

    m_refreshing = false;
}

void MainWindow::formLoad() {
    m_engine.formLoad();
    refresh();
    m_timer2->start(m_state.timer2Interval > 0 ? m_state.timer2Interval : kTimer2Interval);
    syncTimer1();
}

void MainWindow::onTimer2() {
    // The engine guards the tick against running inside itself while one of its boxes is open.
    m_engine.timer2Tick();
    refresh();
    syncTimer1();
}

void MainWindow::onTimer1() {
    m_engine.timer1Tick();
    syncTimer1();
}

void MainWindow::syncTimer1() {
    const int interval = m_state.timer1Interval;
    if (interval <= 0) {
        m_timer1->stop();
    } else if (!m_timer1->isActive() || m_timer1->interval() != interval) {
        m_timer1->start(interval);
    }
}

void MainWindow::savePlan() {
    m_plans.savePlan();
    refresh();
}

void MainWindow::printReport() {
    printConnections(m_state, m_records, m_dialogs, m_printer);
}

PictureButton* MainWindow::pictureButton(const QString& objectName) const {
    return findChild<PictureButton*>(objectName, Qt::FindDirectChildrenOnly);
}

void MainWindow::setFaces(const QPixmap& compact, const QPixmap& options) {
    m_compactFace = compact;
    m_optionsFace = options;
    if (!options.isNull())
        setFixedSize(options.deviceIndependentSize().toSize());
    applyView();
}

void MainWindow::setShapeMaker(std::function<QRegion(const QPixmap&)> shapeMaker) {
    m_shapeMaker = std::move(shapeMaker);
    applyView();
}

void MainWindow::toggleView() {
    // The view in use is told by the picture the Options button shows.
    const bool compactNow =
        m_optionsButton->picture().cacheKey() == m_compactPictureHolder->picture().cacheKey();
    m_optionsView = compactNow;
    m_optionsButton->setPicture(m_optionsView ? m_optionsPictureHolder->picture()
                                              : m_compactPictureHolder->picture());
    applyView();
}

void MainWindow::applyView() {
    const QPixmap& face = m_optionsView ? m_optionsFace : m_compactFace;
    if (!face.isNull()) {
        setMask(m_shapeMaker ? m_shapeMaker(face)
                             : QRegion(QRect(QPoint(0, 0), face.deviceIndependentSize().toSize())));
    } else if (m_optionsView) {
        clearMask();
    } else {
        setMask(QRegion(0, 0, width(), kCompactHeight));
    }
    update();
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap& face = m_optionsView ? m_optionsFace : m_compactFace;
    if (!face.isNull()) {
        p.drawPixmap(0, 0, face);
        return;
    }
    QLinearGradient gradient(0, 0, 0, kCompactHeight);
    gradient.setColorAt(0, kFaceTop);
    gradient.setColorAt(1, kFaceBottom);
    p.fillRect(QRect(0, 0, width(), kCompactHeight), gradient);
    p.setPen(QColor(255, 255, 255, 40));
    p.drawRect(QRect(0, 0, width() - 1, kCompactHeight - 1));
    if (m_optionsView) {
        p.fillRect(QRect(0, kCompactHeight, width(), height() - kCompactHeight), kFaceBottom);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath panel;
        panel.addRoundedRect(QRectF(8, 172, width() - 16, height() - 180), 6, 6);
        p.fillPath(panel, kPanel);
    }
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    // No title bar: the window is moved by dragging its background with any button.
    dragWindowByFace(this);
    event->accept();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closed by the window manager (Alt+F4, a task-list entry): put away as "Réduire" does. The
    // program ends only through its exits, which store the exit state first.
    event->ignore();
    emit reduceRequested();
}

}  // namespace vq
