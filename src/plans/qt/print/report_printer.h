#pragma once
// Prints the connections report on the default printer, or into a PDF file in the data folder when
// the machine has no printer. One painter unit is one twip (the printer runs at 1440 dots per inch).

#include <QString>
#include <memory>
#include <string>

#include "plans/report.h"

class QPrinter;

namespace vq {

class QtReportPrinter final : public ReportPrinter {
public:
    explicit QtReportPrinter(std::string dataFolder);
    ~QtReportPrinter() override;

    int pageHeightTwips() override;
    Result print(const ReportLayout& layout) override;

    // Draws the pages on a printer already set up (resolution 1440); false when it failed.
    static bool render(QPrinter& printer, const ReportLayout& layout);
    // Writes the pages to a PDF file.
    static bool renderToPdf(const ReportLayout& layout, const QString& path);

private:
    QPrinter& printer();

    std::string m_dataFolder;
    std::unique_ptr<QPrinter> m_printer;
    bool m_toFile = false;
};

}  // namespace vq
