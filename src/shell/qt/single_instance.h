#pragma once
// One running copy per data folder: a lock file in the data folder, and a local socket through which a
// second start asks the running copy to show its main window before it exits. The socket is a plain
// Unix-domain socket watched by the event loop: Qt's network module, with the Kerberos and proxy
// libraries it brings, would cost the program more memory than all its windows.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace vq {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this copy may run. Otherwise the running copy has been asked to show its main window.
    // A copy that is just ending (a restart after a skin change or an update) is waited for up to
    // `waitMs` milliseconds.
    bool acquire(int waitMs = 5000);
    // Called in the running copy when another start asks for the main window.
    std::function<void()> showRequested;

    static QString serverName(const QString& dataFolder);

private:
    bool askRunningCopyToShow();
    bool takeOverUnreadableLock();
    void listen();
    void acceptRequests();

    QString m_dataFolder;
    std::unique_ptr<QLockFile> m_lock;
    int m_server = -1;
};

}  // namespace vq
