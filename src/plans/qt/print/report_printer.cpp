#include "plans/qt/print/report_printer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace vq {
namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kDefaultFontSize = 10;

void setUpForTwips(QPrinter& printer) {
    printer.setResolution(kTwipsPerInch);
    printer.setFullPage(false);
    printer.setDocName(QStringLiteral("Connexions"));
}

void drawLine(QPainter& painter, const ReportLine& line) {
    if (line.text.empty())
        return;
    QFont font = painter.font();
    font.setPointSize(line.fontSize > 0 ? line.fontSize : kDefaultFontSize);
    painter.setFont(font);
    // Positions give the top of the text; the painter writes on the baseline.
    painter.drawText(line.x, line.y + QFontMetrics(font, painter.device()).ascent(),
                     QString::fromStdString(line.text));
}

}  // namespace

QtReportPrinter::QtReportPrinter(std::string dataFolder) : m_dataFolder(std::move(dataFolder)) {}

QtReportPrinter::~QtReportPrinter() = default;

QPrinter& QtReportPrinter::printer() {
    if (!m_printer) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        m_toFile = names.isEmpty();
        if (m_toFile) {
            m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            m_printer->setOutputFormat(QPrinter::PdfFormat);
            m_printer->setPageSize(QPageSize(QPageSize::A4));
        } else {
            QPrinterInfo info = QPrinterInfo::defaultPrinter();
            if (info.isNull())
                info = QPrinterInfo::printerInfo(names.first());
            m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        }
        setUpForTwips(*m_printer);
    }
    return *m_printer;
}

int QtReportPrinter::pageHeightTwips() {
    const int height = printer().pageLayout().paintRectPixels(kTwipsPerInch).height();
    // A printer that reports no page gets the height of an A4 page's printable area.
    return height > 0 ? height : 15800;
}

ReportPrinter::Result QtReportPrinter::print(const ReportLayout& layout) {
    QPrinter& target = printer();
    QString file;
    if (m_toFile) {
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
        file = QDir(QString::fromStdString(m_dataFolder))
                   .filePath(QStringLiteral("connexions-%1.pdf").arg(stamp));
        target.setOutputFileName(file);
    }
    const bool ok = render(target, layout);
    const bool toFile = m_toFile;
    m_printer.reset();  // the next report looks for printers again
    if (!ok)
        return {Outcome::Failed,
                toFile ? "Le fichier " + file.toStdString() + " n'a pas pu être écrit." : ""};
    if (toFile)
        return {Outcome::SavedToFile, QDir::toNativeSeparators(file).toStdString()};
    return {Outcome::Printed, ""};
}

bool QtReportPrinter::render(QPrinter& printer, const ReportLayout& layout) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setPen(Qt::black);
    drawLine(painter, layout.title);
    bool ok = true;
    for (std::size_t i = 0; i < layout.pages.size() && ok; ++i) {
        if (i > 0)
            ok = printer.newPage();
        for (const ReportLine& line : layout.pages[i])
            drawLine(painter, line);
    }
    return painter.end() && ok && printer.printerState() != QPrinter::Error;
}

bool QtReportPrinter::renderToPdf(const ReportLayout& layout, const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(path);
    setUpForTwips(printer);
    return render(printer, layout) && QFileInfo(path).size() > 0;
}

}  // namespace vq
