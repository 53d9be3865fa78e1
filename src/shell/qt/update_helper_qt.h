#pragma once
// Runs the update helper program (mj's check and fetch modes) without blocking the window: its
// output lines arrive as they come, and a helper that overruns its deadline or floods its output is
// ended.

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <string>
#include <vector>

namespace vq {

class HelperProcess final : public QObject {
    Q_OBJECT
public:
    explicit HelperProcess(QObject* parent = nullptr);
    ~HelperProcess() override;

    // Starts `program`; false while another run goes on. `finished` follows every accepted start,
    // also one whose program could not be started.
    bool start(const std::string& program, const std::vector<std::string>& arguments, long deadlineMs);
    bool running() const { return m_running; }
    // Ends a run at once, without `finished`.
    void stop();

signals:
    void lineRead(const std::string& line);
    // True when the helper ended by itself, in time, with exit status 0.
    void finished(bool succeeded);

private:
    void readOutput();
    void end(bool succeeded);

    QProcess m_process;
    QTimer m_deadline;
    QByteArray m_pending;
    bool m_running = false;
    bool m_cutOff = false;
};

}  // namespace vq
