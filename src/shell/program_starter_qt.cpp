#include "shell/program_starter_qt.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace vq {

bool QtProgramStarter::start(const std::string& program, const std::vector<std::string>& arguments) {
    QStringList args;
    for (const std::string& a : arguments) {
        args << QString::fromStdString(a);
    }
    const QString path = QString::fromStdString(program);
    return QProcess::startDetached(path, args, QFileInfo(path).absolutePath());
}

}  // namespace vq
