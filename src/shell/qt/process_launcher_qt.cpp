#include "shell/qt/process_launcher_qt.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace vq {

bool ProcessLauncher::start(const std::string& program, const std::vector<std::string>& arguments) {
    const QString path = QString::fromStdString(program);
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    QStringList args;
    for (const std::string& a : arguments)
        args << QString::fromStdString(a);
    return QProcess::startDetached(path, args, info.absolutePath());
}

}  // namespace vq
