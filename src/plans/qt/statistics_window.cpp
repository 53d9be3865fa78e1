#include "plans/qt/statistics_window.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/duration.h"
#include "core/numbers.h"

namespace vq {
namespace {

constexpr int kLeftMargin = 46;
constexpr int kRightMargin = 14;
constexpr int kTopMargin = 24;
constexpr int kDayLabels = 18;
constexpr int kGap = 34;
constexpr double kHour = 3600.0;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QString quoted(const std::string& name) {
    return QStringLiteral("« %1 »").arg(qs(name));
}

// Hours between grid lines, so that about four lines span `maxHours`.
double gridStep(double maxHours) {
    for (double step : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0}) {
        if (maxHours / step <= 5)
            return step;
    }
    return 500.0;
}

QString hoursText(double hours) {
    return QStringLiteral("%1 h").arg(hours, 0, 'f', 0);
}

}  // namespace

MonthChartView::MonthChartView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("chart"));
    setMinimumSize(560, 330);
}

void MonthChartView::setChart(const MonthChart& chart, double nowFraction) {
    m_chart = chart;
    m_nowFraction = std::clamp(nowFraction, 0.0, 1.0);
    update();
}

void MonthChartView::setColours(const QColor& background, const QColor& ink) {
    m_background = background;
    m_ink = ink;
    update();
}

QRect MonthChartView::curveArea() const {
    const int usable = height() - kTopMargin - kGap - kDayLabels;
    return QRect(kLeftMargin, kTopMargin, width() - kLeftMargin - kRightMargin, usable * 6 / 10);
}

QRect MonthChartView::barArea() const {
    const QRect curve = curveArea();
    const int top = curve.bottom() + kGap;
    return QRect(kLeftMargin, top, curve.width(), height() - kDayLabels - top);
}

double MonthChartView::dayWidth() const {
    const auto days = static_cast<double>(std::max<std::size_t>(m_chart.daySeconds.size(), 1));
    return curveArea().width() / days;
}

QRect MonthChartView::barRect(int dayIndex) const {
    if (dayIndex < 0 || dayIndex >= static_cast<int>(m_chart.daySeconds.size()))
        return {};
    const std::int64_t seconds = m_chart.daySeconds[static_cast<std::size_t>(dayIndex)];
    if (seconds <= 0)
        return {};
    const std::int64_t most = *std::max_element(m_chart.daySeconds.begin(), m_chart.daySeconds.end());
    // The scale goes to the next whole hour above the busiest day.
    const double scale = std::ceil(static_cast<double>(most) / kHour) * kHour;
    const QRect area = barArea();
    const double w = dayWidth();
    const int h =
        std::max(1, static_cast<int>(std::lround(area.height() * static_cast<double>(seconds) / scale)));
    const int x = area.left() + static_cast<int>(std::lround(w * dayIndex + w * 0.15));
    return QRect(x, area.bottom() + 1 - h, std::max(1, static_cast<int>(std::lround(w * 0.7))), h);
}

void MonthChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_background);
    if (m_chart.daySeconds.empty())
        return;
    p.setRenderHint(QPainter::Antialiasing);
    QFont small = font();
    small.setPixelSize(10);
    p.setFont(small);
    QColor grid = m_ink;
    grid.setAlpha(45);
    QColor faint = m_ink;
    faint.setAlpha(170);
    const QColor allowanceColour = palette().color(QPalette::Highlight);
    const int days = static_cast<int>(m_chart.daySeconds.size());
    const double w = dayWidth();

    // The month's total against the allowance, and where the pace so far takes it.
    const QRect curve = curveArea();
    const double top = std::max({static_cast<double>(m_chart.allowanceSeconds),
                                 static_cast<double>(m_chart.projection.usedSeconds),
                                 static_cast<double>(m_chart.usedSeconds), kHour}) /
                       kHour * 1.1;
    const double step = gridStep(top);
    const auto yOf = [&](double seconds) { return curve.bottom() - curve.height() * seconds / kHour / top; };
    const auto xOf = [&](double day) { return curve.left() + w * day; };
    for (double h = 0; h <= top; h += step) {
        const double y = yOf(h * kHour);
        p.setPen(grid);
        p.drawLine(QPointF(curve.left(), y), QPointF(curve.right(), y));
        p.setPen(faint);
        p.drawText(QRectF(0, y - 7, kLeftMargin - 6, 14), Qt::AlignRight | Qt::AlignVCenter, hoursText(h));
    }
    if (m_chart.allowanceSeconds > 0) {
        const double y = yOf(static_cast<double>(m_chart.allowanceSeconds));
        p.setPen(QPen(allowanceColour, 2));
        p.drawLine(QPointF(curve.left(), y), QPointF(curve.right(), y));
        p.drawText(QRectF(curve.left(), y - 16, curve.width() - 4, 14), Qt::AlignRight | Qt::AlignBottom,
                   QStringLiteral("Forfait : %1").arg(hoursText(m_chart.allowanceSeconds / kHour)));
    }
    QPainterPath used;
    used.moveTo(xOf(0), yOf(0));
    for (int i = 0; i < static_cast<int>(m_chart.cumulative.size()); ++i) {
        const double x = i < m_chart.todayIndex ? i + 1 : i + m_nowFraction;
        used.lineTo(xOf(x), yOf(static_cast<double>(m_chart.cumulative[static_cast<std::size_t>(i)])));
    }
    const QPointF now = used.currentPosition();
    p.setPen(QPen(m_ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(used);
    p.setPen(QPen(m_ink, 1.6, Qt::DashLine, Qt::RoundCap));
    p.drawLine(now, QPointF(xOf(days), yOf(static_cast<double>(m_chart.projection.usedSeconds))));
    p.setBrush(m_ink);
    p.drawEllipse(now, 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(faint);
    p.drawText(QRectF(curve.left(), 4, curve.width(), 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Total du mois (trait plein), prévision (tirets)"));

    // The days: connected time per day, today's bar in full ink.
    const QRect bars = barArea();
    const std::int64_t most = *std::max_element(m_chart.daySeconds.begin(), m_chart.daySeconds.end());
    const double barTop = std::max(1.0, std::ceil(static_cast<double>(most) / kHour));
    p.setPen(grid);
    p.drawLine(bars.left(), bars.top(), bars.right(), bars.top());
    p.drawLine(bars.left(), bars.bottom(), bars.right(), bars.bottom());
    p.setPen(faint);
    p.drawText(QRectF(0, bars.top() - 7, kLeftMargin - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
               hoursText(barTop));
    p.drawText(QRectF(0, bars.bottom() - 7, kLeftMargin - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
               hoursText(0));
    p.drawText(QRectF(bars.left(), bars.top() - 20, bars.width(), 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Temps de connexion par jour"));
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < days; ++i) {
        const QRect bar = barRect(i);
        if (!bar.isEmpty()) {
            QColor c = m_ink;
            if (i != m_chart.todayIndex)
                c.setAlpha(190);
            p.fillRect(bar, c);
        }
        const Date d = addDays(m_chart.month.start, i);
        if (w >= 16 || i % 2 == 0 || i == m_chart.todayIndex) {
            p.setPen(i == m_chart.todayIndex ? m_ink : faint);
            p.drawText(QRectF(bars.left() + w * i - 4, bars.bottom() + 3, w + 8, kDayLabels - 4),
                       Qt::AlignHCenter | Qt::AlignTop, QString::number(d.day));
        }
    }
}

StatisticsWindow::StatisticsWindow(const MainState& state, const RecordStore& records, const Clock& clock,
                                   const QWidget* lookFrom, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_records(records), m_clock(clock), m_lookFrom(lookFrom) {
    setObjectName(QStringLiteral("Statistiques"));
    setWindowTitle(QStringLiteral("Statistiques"));
    auto* layout = new QVBoxLayout(this);
    const auto label = [&](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromUtf8(name));
        l->setWordWrap(true);
        layout->addWidget(l);
        return l;
    };
    m_heading = label("heading");
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_chart = new MonthChartView(this);
    layout->addWidget(m_chart, 1);
    m_message = label("message");
    m_message->setAlignment(Qt::AlignCenter);
    m_used = label("used");
    m_forecast = label("forecast");
    m_amounts = label("amounts");
    resize(620, 470);

    m_timer = new QTimer(this);
    m_timer->setInterval(kRefreshInterval);
    connect(m_timer, &QTimer::timeout, this, &StatisticsWindow::refresh);
    followSkin();
    refresh();
}

// The chart takes the main window's counter colours, which the skin sets (its "Couleur" of LCD1).
void StatisticsWindow::followSkin() {
    const QWidget* counter = m_lookFrom ? m_lookFrom->findChild<QWidget*>(QStringLiteral("LCD1")) : nullptr;
    if (counter)
        m_chart->setColours(counter->palette().color(QPalette::Window),
                            counter->palette().color(QPalette::WindowText));
    else
        m_chart->setColours(palette().color(QPalette::Base), palette().color(QPalette::Text));
}

void StatisticsWindow::refresh() {
    const MainState& s = m_state;
    const bool planInUse = !s.planName.empty() && !s.lcd1.empty();
    std::vector<CountedConnection> connections;
    if (planInUse)
        connections = planConnections(m_records.lines(), s.planName);
    // The connection being counted, as long as the counter has measured it so far.
    if (planInUse && s.comptage == "1" && s.etatconnexion == "2") {
        const auto date = parseDateText(s.connectionDate);
        const auto start = parseTimeText(s.connectionTime);
        const auto length = durationSeconds(s.duree);
        if (date && start && length)
            connections.push_back({*date, *start, *length});
    }
    MonthTerms terms;
    terms.startDay = static_cast<int>(parseWhole(s.monthStartDay).value_or(1));
    const double hours = std::floor(parseDecimal(s.temps).value_or(0));
    terms.allowanceSeconds = hours > 0 ? static_cast<std::int64_t>(hours) * 3600 : 0;
    terms.minutePrice = parseDecimal(s.minutePrice).value_or(0);
    terms.amountDue = parseDecimal(s.amountDue).value_or(0);
    terms.freePeriod = {s.freeStart, s.freeEnd, s.payingDay, s.jourpayant};
    const Date today = m_clock.today();
    const TimeOfDay now = m_clock.now();
    const MonthChart chart = monthChart(connections, terms, today, now, &m_countedDays);
    const QString period =
        QStringLiteral("du %1 au %2")
            .arg(qs(dateText(chart.month.start)), qs(dateText(addDays(chart.month.end, -1))));

    const bool drawn = planInUse && chart.usedSeconds > 0;
    m_chart->setVisible(drawn);
    m_used->setVisible(drawn);
    m_forecast->setVisible(drawn);
    m_amounts->setVisible(drawn);
    m_message->setVisible(!drawn);
    if (!planInUse) {
        m_heading->setText(QStringLiteral("Aucun forfait en cours"));
        m_message->setText(QStringLiteral(
            "Choisissez ou enregistrez un forfait dans la fenêtre principale pour voir ses statistiques."));
        return;
    }
    m_heading->setText(QStringLiteral("Forfait %1 : mois %2").arg(quoted(s.planName), period));
    if (!drawn) {
        m_message->setText(
            QStringLiteral("Aucune connexion n'est enregistrée pour ce forfait %1.").arg(period));
        return;
    }
    m_chart->setChart(chart, (now.hour * 3600 + now.minute * 60 + now.second) / 86400.0);
    const QString used = qs(durationFromSeconds(chart.usedSeconds));
    m_used->setText(chart.allowanceSeconds > 0
                        ? QStringLiteral("Temps utilisé : %1 sur %2")
                              .arg(used, qs(durationFromSeconds(chart.allowanceSeconds)))
                        : QStringLiteral("Temps utilisé : %1 (sans forfait d'heures)").arg(used));
    m_forecast->setText(QStringLiteral("Prévision fin de mois : %1, dépassement %2")
                            .arg(qs(durationFromSeconds(chart.projection.usedSeconds)),
                                 qs(durationFromSeconds(chart.projection.overrunSeconds))));
    m_amounts->setText(QStringLiteral("Hors forfait : %1 maintenant, %2 prévus en fin de mois")
                           .arg(qs(eurosText(chart.amountDue)), qs(eurosText(chart.projection.amountDue))));
}

void StatisticsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
    m_timer->start();
}

void StatisticsWindow::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QWidget::hideEvent(event);
}

StatisticsOpener::StatisticsOpener(const MainState& state, const RecordStore& records, const Clock& clock,
                                   const QWidget* lookFrom)
    : m_state(state), m_records(records), m_clock(clock), m_lookFrom(lookFrom) {}

StatisticsOpener::~StatisticsOpener() = default;

void StatisticsOpener::open() {
    if (!m_window)
        m_window = std::make_unique<StatisticsWindow>(m_state, m_records, m_clock, m_lookFrom);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace vq
