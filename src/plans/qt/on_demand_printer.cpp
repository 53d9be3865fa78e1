#include "plans/qt/on_demand_printer.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <utility>

namespace vq {
namespace {

Q_LOGGING_CATEGORY(printLog, "vq.print")

// The height of an A4 page's printable area, for a layout asked for while no printer can be had.
constexpr int kA4PrintableTwips = 15800;

using CreatePrinter = ReportPrinter* (*)(const char* dataFolder);

}  // namespace

const char* const kPrintModule = "varlotte-print.so";

OnDemandPrinter::OnDemandPrinter(QStringList folders, std::string dataFolder)
    : m_folders(std::move(folders)), m_dataFolder(std::move(dataFolder)) {}

ReportPrinter* OnDemandPrinter::printer() {
    if (m_printer)
        return m_printer.get();
    for (const QString& folder : std::as_const(m_folders)) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(kPrintModule));
        if (!QFile::exists(path))
            continue;
        m_module.setFileName(path);
        auto create = reinterpret_cast<CreatePrinter>(m_module.resolve("vq_create_report_printer"));
        if (create) {
            m_printer.reset(create(m_dataFolder.c_str()));
            return m_printer.get();
        }
        qCWarning(printLog) << "printing module not usable:" << m_module.errorString();
    }
    qCWarning(printLog) << "no printing module" << kPrintModule << "in" << m_folders;
    return nullptr;
}

int OnDemandPrinter::pageHeightTwips() {
    ReportPrinter* p = printer();
    return p ? p->pageHeightTwips() : kA4PrintableTwips;
}

ReportPrinter::Result OnDemandPrinter::print(const ReportLayout& layout) {
    ReportPrinter* p = printer();
    return p ? p->print(layout) : Result{Outcome::Failed, ""};
}

}  // namespace vq
