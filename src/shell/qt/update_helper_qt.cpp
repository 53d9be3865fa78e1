#include "shell/qt/update_helper_qt.h"

#include <QStringList>

namespace vq {

namespace {

// Far more than the helper ever writes; beyond it the helper is taken for broken.
constexpr qsizetype kMaxPendingOutput = 64 * 1024;

}  // namespace

HelperProcess::HelperProcess(QObject* parent) : QObject(parent) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_cutOff = true;
        m_process.kill();
    });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &HelperProcess::readOutput);
    connect(&m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        readOutput();
        if (!m_pending.isEmpty() && !m_cutOff) {
            emit lineRead(m_pending.toStdString());
        }
        end(!m_cutOff && status == QProcess::NormalExit && exitCode == 0);
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && m_running) {
            // Reported after start() has returned, as for a helper that did start.
            QMetaObject::invokeMethod(
                this, [this] { end(false); }, Qt::QueuedConnection);
        }
    });
}

HelperProcess::~HelperProcess() {
    stop();
}

void HelperProcess::stop() {
    m_running = false;
    m_deadline.stop();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.blockSignals(true);
        m_process.kill();
        m_process.waitForFinished(2000);
        m_process.blockSignals(false);
    }
}

bool HelperProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                          long deadlineMs) {
    if (m_running) {
        return false;
    }
    m_running = true;
    m_cutOff = false;
    m_pending.clear();
    QStringList args;
    for (const std::string& a : arguments) {
        args << QString::fromStdString(a);
    }
    m_deadline.start(static_cast<int>(deadlineMs));
    m_process.start(QString::fromStdString(program), args, QIODevice::ReadOnly);
    return true;
}

void HelperProcess::readOutput() {
    if (m_cutOff) {
        m_process.readAllStandardOutput();
        return;
    }
    m_pending += m_process.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        emit lineRead(line.toStdString());
    }
    if (m_pending.size() > kMaxPendingOutput) {
        m_cutOff = true;
        m_pending.clear();
        m_process.kill();
    }
}

void HelperProcess::end(bool succeeded) {
    if (!m_running) {
        return;
    }
    m_deadline.stop();
    m_running = false;
    emit finished(succeeded);
}

}  // namespace vq
