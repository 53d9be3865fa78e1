#pragma once
// The report printer that the program holds from the start: it loads the printing module (the printer
// and Qt's print support) the first time a report is printed, so that a run without printing never
// maps them.

#include <QLibrary>
#include <QStringList>

#include <memory>
#include <string>

#include "plans/report.h"

namespace vq {

// The printing module's file name, without its folder.
extern const char* const kPrintModule;

class OnDemandPrinter final : public ReportPrinter {
public:
    // Looks for the module in `folders`, in order; the printer writes its PDF files in `dataFolder`.
    OnDemandPrinter(QStringList folders, std::string dataFolder);

    int pageHeightTwips() override;
    Result print(const ReportLayout& layout) override;

private:
    ReportPrinter* printer();

    QStringList m_folders;
    std::string m_dataFolder;
    // The printer goes before the module that holds its code (members end in reverse order); QLibrary
    // leaves the module mapped.
    QLibrary m_module;
    std::unique_ptr<ReportPrinter> m_printer;
};

}  // namespace vq
