#pragma once
// The "Statistiques" window: the plan in use over its billing month, connected time per day as bars,
// the month's running total against the allowance with the projection to the month's end, and the
// overrun and amount due expected then. Created the first time it is opened (StatisticsOpener), so
// that a run that never opens it holds none of it; it refreshes itself while it is shown.

#include <QColor>
#include <QWidget>
#include <memory>

#include "core/clock.h"
#include "plans/main_state.h"
#include "plans/month_projection.h"
#include "records/record_store.h"

class QLabel;
class QTimer;

namespace vq {

// The month drawn: the cumulative use with the allowance and the projection above, the days' bars
// below.
class MonthChartView : public QWidget {
    Q_OBJECT
public:
    explicit MonthChartView(QWidget* parent = nullptr);
    void setChart(const MonthChart& chart, double nowFraction);
    // The skin's counter colours: background and ink.
    void setColours(const QColor& background, const QColor& ink);
    const MonthChart& chart() const { return m_chart; }
    // Where the bar of a day of the month is drawn (empty for a day with no time).
    QRect barRect(int dayIndex) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect curveArea() const;
    QRect barArea() const;
    double dayWidth() const;

    MonthChart m_chart;
    double m_nowFraction = 0;  // the part of today gone by
    QColor m_background{12, 20, 30};
    QColor m_ink{120, 230, 140};
};

class StatisticsWindow : public QWidget {
    Q_OBJECT
public:
    // `lookFrom` is the main window, whose counters give the skin's colours (may be null).
    StatisticsWindow(const MainState& state, const RecordStore& records, const Clock& clock,
                     const QWidget* lookFrom, QWidget* parent = nullptr);

    // Reads the month again and redraws it.
    void refresh();
    MonthChartView* chartView() const { return m_chart; }

    static constexpr int kRefreshInterval = 2000;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void followSkin();

    const MainState& m_state;
    const RecordStore& m_records;
    const Clock& m_clock;
    const QWidget* m_lookFrom;
    QLabel* m_heading = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_used = nullptr;
    QLabel* m_forecast = nullptr;
    QLabel* m_amounts = nullptr;
    MonthChartView* m_chart = nullptr;
    QTimer* m_timer = nullptr;
    CountedDays m_countedDays;
};

// Opens the statistics window, creating it the first time; later openings raise the same one.
class StatisticsOpener {
public:
    StatisticsOpener(const MainState& state, const RecordStore& records, const Clock& clock,
                     const QWidget* lookFrom);
    ~StatisticsOpener();
    void open();
    StatisticsWindow* window() const { return m_window.get(); }

private:
    const MainState& m_state;
    const RecordStore& m_records;
    const Clock& m_clock;
    const QWidget* m_lookFrom;
    std::unique_ptr<StatisticsWindow> m_window;
};

}  // namespace vq
