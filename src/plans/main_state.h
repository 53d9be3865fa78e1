#pragma once
// The main window's working values and the counter's state, as one plain struct owned by the engine.
// Windows show these fields and write user edits back into them; the logic never touches a widget.

#include <string>
#include <vector>

namespace vq {

struct MainState {
    // Plan box `connect`: its text and its list (the dial-up profile names).
    std::string planName;
    std::vector<std::string> profiles;

    // Counters.
    std::string lcd1;                // `LCD1`, the plan's month total
    std::string lcd2;                // `LCD2`, the plan's allowance left
    std::string tmpstotal;           // working copy of the month total
    std::string duree = "00:00:00";  // `Durée`, length of the counted connection
    std::string label1_0;            // `Label1(0)`, the same length as shown
    std::string label7;              // `Label7`, copy of label1_0
    std::string connectionDate;      // `Label15`, date the counted connection began
    std::string connectionTime;      // `Label16`, clock time it began
    std::string connectionText;      // `Connection`: "Connecté" or "Non connecté"

    // Plan fields (the settings panel).
    std::string temps = "0";             // `Temps`, allowance as saved (hidden)
    std::string temps2 = "0";            // `Temps2`, allowance as typed
    std::string firstMinutePrice = "0";  // `Text3`
    std::string minutePrice = "0";       // `Text6`
    std::string amountDue = "0";         // `Text7`
    int freePeriod = 0;                  // `Check1`: 1 ticked, 0 not
    std::string freeStart = "00:00:00";  // `heuredep`
    std::string freeEnd = "00:00:00";    // `heurefin`
    std::string payingDay;               // `Text5`, the day box
    std::string monthStartDay = "1";     // `Text4`
    std::string lastConnectionPlan;      // `laconec`
    std::string fetchedVersion;          // `Textb`

    // Progress bar `ProgressBar1`.
    float progressMax = 100;
    float progressValue = 0;

    // Counter state.
    std::string cheminoption;
    std::string chemintempo;
    int versioninstallee = 0;
    std::string ouinon = "1";
    std::string etatconnexion = "1";
    std::string comptage;  // "1" counted, "2" not, "" before the first tick
    std::string heuredebut;
    std::string decalage;
    std::string prixavant;
    int avertissement = 0;
    int jourpayant = 0;
    std::string forfaitavant;
    std::string nomconnexion;
    int sansquestion = 0;

    // `Timer1` interval in milliseconds: 930 while a connection is counted, 0 otherwise.
    int timer1Interval = 0;
    // `Timer2` interval: 0 until start-up has finished, then 900.
    int timer2Interval = 0;
};

}  // namespace vq
