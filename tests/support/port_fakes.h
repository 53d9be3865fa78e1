#pragma once
// Fakes of the ports the engine and the plans ask for: the machine's connection, the notification
// tip, the update check and the printer. Header-only, for the tests that link those layers.

#include <string>
#include <vector>

#include "engine/connection_source.h"
#include "engine/ports.h"
#include "plans/report.h"

namespace vq::test {

// The machine's connection as a test scripts it.
class ScriptedSource final : public ConnectionSource {
public:
    bool connected = false;
    std::string name;
    std::vector<std::string> profiles;
    int connectedCalls = 0;
    bool isConnected() override {
        ++connectedCalls;
        return connected;
    }
    std::string activeConnectionName() override { return connected ? name : std::string(); }
    std::vector<std::string> profileNames() override { return profiles; }
};

class RecordingTray final : public TrayTip {
public:
    std::vector<std::string> tips;
    void setTip(const std::string& tip) override { tips.push_back(tip); }
};

class RecordingUpdate final : public UpdateCheck {
public:
    std::vector<int> opened;
    void connectionOpened(int installedVersion) override { opened.push_back(installedVersion); }
};

// Keeps every report it is given and answers with `next`; pages are as tall as an A4 page's
// printable area.
class FakePrinter final : public ReportPrinter {
public:
    static constexpr int kA4Height = 16000;  // twips
    Result next{Outcome::Printed, ""};
    std::vector<ReportLayout> printed;
    int pageHeightTwips() override { return kA4Height; }
    Result print(const ReportLayout& layout) override {
        printed.push_back(layout);
        return next;
    }
};

}  // namespace vq::test
