#include "core/qt/qt_log.h"

#include <QLoggingCategory>
#include <QString>

namespace vq {
namespace {

Q_LOGGING_CATEGORY(storeCategory, "varlotte.store")

const QLoggingCategory& category(Log::Topic topic) {
    switch (topic) {
        case Log::Topic::Store:
            break;
    }
    return storeCategory();
}

}  // namespace

void QtLog::warning(Topic topic, const std::string& message) {
    qCWarning(category(topic)).noquote() << QString::fromStdString(message);
}

void QtLog::info(Topic topic, const std::string& message) {
    qCInfo(category(topic)).noquote() << QString::fromStdString(message);
}

}  // namespace vq
