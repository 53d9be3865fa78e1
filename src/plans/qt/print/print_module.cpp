// The entry of the printing module, which the program loads the first time the user prints: only
// then are Qt's print support and the print system's libraries mapped.
#include <QtGlobal>

#include "plans/qt/print/report_printer.h"

extern "C" Q_DECL_EXPORT vq::ReportPrinter* vq_create_report_printer(const char* dataFolder) {
    return new vq::QtReportPrinter(dataFolder);
}
