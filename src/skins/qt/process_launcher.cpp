#include "skins/qt/process_launcher.h"

#include <QFileInfo>
#include <QProcess>

namespace vq {

bool ProcessLauncher::start(const std::string& path) {
    const QString program = QString::fromStdString(path);
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable()) {
        return false;
    }
    return QProcess::startDetached(program, {}, info.absolutePath());
}

}  // namespace vq
