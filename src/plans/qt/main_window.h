#pragma once
// The main window "Form1": the counters, the plan box, the settings panel and the picture buttons,
// drawn over a face picture without a title bar. It shows the engine's MainState and writes the
// user's edits back into it; the routines themselves live in the engine and the plan logic.

#include <QPixmap>
#include <QRegion>
#include <QWidget>
#include <functional>

#include "engine/engine.h"
#include "plans/plan_actions.h"
#include "plans/report.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;

namespace vq {

class PictureButton;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(Engine& engine, PlanActions& plans, RecordStore& records, Dialogs& dialogs,
               ReportPrinter& printer, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: runs the engine's start-up, shows its result and arms the tick.
    void formLoad();
    // Shows the state in the widgets (called whenever the engine or the plan logic changed it).
    void refresh();

    // Skin hooks: the compact and options faces (the window takes the options face's size), and
    // the function that cuts a window outline from a face. Null faces keep the built-in look.
    void setFaces(const QPixmap& compact, const QPixmap& options);
    void setShapeMaker(std::function<QRegion(const QPixmap&)> shapeMaker);
    PictureButton* pictureButton(const QString& objectName) const;

    bool isOptionsView() const { return m_optionsView; }
    // The "Options" button: switches between the compact and the options view.
    void toggleView();

    static constexpr int kTimer2Interval = 900;

signals:
    void reduceRequested();      // "Réduire"
    void recordsRequested();     // "Modifier les connexions"
    void skinRequested();        // "Changer de skin"
    void aboutRequested();       // "A propos..."
    void statisticsRequested();  // F9: the month at a glance
    void quitRequested();        // either "Quitter" button

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildCounters();
    void buildSettingsPanel();
    void buildButtons();
    void connectEdits();
    void applyView();
    void applyFreePeriodEnabled();
    void onTimer2();
    void onTimer1();
    void syncTimer1();
    void savePlan();
    void printReport();
    PictureButton* button(const QString& objectName, const QString& toolTip, const QString& glyph, int x,
                          int y);

    Engine& m_engine;
    MainState& m_state;
    PlanActions& m_plans;
    RecordStore& m_records;
    Dialogs& m_dialogs;
    ReportPrinter& m_printer;

    QComboBox* m_planBox = nullptr;                   // connect
    QLabel* m_monthTotal = nullptr;                   // LCD1
    QLabel* m_allowanceLeft = nullptr;                // LCD2
    QLabel* m_connectionLength = nullptr;             // Durée
    QLabel* m_connectionLengthCopy = nullptr;         // Label1(0)
    QLabel* m_connectionState = nullptr;              // Connection
    QProgressBar* m_allowanceBar = nullptr;           // ProgressBar1
    QLineEdit* m_allowanceTyped = nullptr;            // Temps2
    QLineEdit* m_allowanceSaved = nullptr;            // Temps (hidden)
    QLineEdit* m_firstMinutePrice = nullptr;          // Text3
    QLineEdit* m_minutePrice = nullptr;               // Text6
    QLineEdit* m_amountDue = nullptr;                 // Text7
    QCheckBox* m_freePeriod = nullptr;                // Check1
    QLineEdit* m_freeStart = nullptr;                 // heuredep
    QLineEdit* m_freeEnd = nullptr;                   // heurefin
    QComboBox* m_payingDay = nullptr;                 // Text5
    QLineEdit* m_monthStartDay = nullptr;             // Text4
    PictureButton* m_optionsButton = nullptr;         // Command3
    PictureButton* m_compactPictureHolder = nullptr;  // Command15
    PictureButton* m_optionsPictureHolder = nullptr;  // command14
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;

    QPixmap m_compactFace;
    QPixmap m_optionsFace;
    std::function<QRegion(const QPixmap&)> m_shapeMaker;
    bool m_optionsView = false;
    bool m_refreshing = false;
    Listeners::Id m_engineListener = 0;
};

}  // namespace vq
