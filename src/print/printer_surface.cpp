#include "printer_surface.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace mdlPRINTING {

PrinterSurface::PrinterSurface() : PrinterSurface(QString()) {}

PrinterSurface::PrinterSurface(const QString& printerName)
    : PrinterSurface(std::make_unique<QPrinter>(printerName.isEmpty()
                                                    ? QPrinterInfo::defaultPrinter()
                                                    : QPrinterInfo::printerInfo(printerName),
                                                QPrinter::HighResolution)) {}

PrinterSurface::PrinterSurface(std::unique_ptr<QPrinter> printer)
    : PagedSurface(printer->outputFormat() == QPrinter::PdfFormat), m_printer(std::move(printer)) {
    m_printer->setDocName(QStringLiteral("Bank Reconciliation"));
    setDevice(m_printer.get());
}

PrinterSurface::~PrinterSurface() {
    finish();
}

QString PrinterSurface::destination() const {
    return toFile() ? m_printer->outputFileName() : m_printer->printerName();
}

int PrinterSurface::resolution() const {
    return m_printer->resolution();
}

bool PrinterSurface::deviceFailed() const {
    return m_printer->printerState() == QPrinter::Error;
}

} // namespace mdlPRINTING
