#include "print_engine.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace mdlPRINTING {

PrinterSurface::PrinterSurface() : PrinterSurface(QString()) {}

PrinterSurface::PrinterSurface(const QString& printerName, const QString& pdfFile)
    : m_painter(std::make_unique<QPainter>()) {
    if (!pdfFile.isEmpty()) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(pdfFile);
        m_printer->setResolution(600);
        // A letter sheet with the quarter-inch margins a laser printer cannot print on, so
        // the rules to 11500 and 15000 twips fit as they do on paper.
        m_printer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                             QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
        m_pdf = true;
    } else if (!printerName.isEmpty()) {
        m_printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(printerName),
                                               QPrinter::HighResolution);
    } else {
        m_printer =
            std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    }
    m_printer->setDocName(QStringLiteral("Bank Reconciliation"));
}

PrinterSurface::PrinterSurface(std::unique_ptr<QPrinter> printer)
    : m_printer(std::move(printer)), m_painter(std::make_unique<QPainter>()) {
    m_pdf = m_printer->outputFormat() == QPrinter::PdfFormat;
    m_printer->setDocName(QStringLiteral("Bank Reconciliation"));
}

bool PrinterSurface::toFile() const {
    return m_pdf;
}

QString PrinterSurface::destination() const {
    return m_pdf ? m_printer->outputFileName() : m_printer->printerName();
}

PrinterSurface::~PrinterSurface() {
    finish();
}

bool PrinterSurface::setOrientation(int orientation) {
    const auto wanted = orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (!m_printer->setPageOrientation(wanted))
        return false;
    return Surface::setOrientation(orientation);
}

bool PrinterSurface::beginDrawing() {
    if (m_failed)
        return false;
    if (!m_painter->isActive()) {
        if (!m_painter->begin(m_printer.get())) {
            m_failed = true;
            return false;
        }
        m_pendingPage = false;
    }
    if (m_pendingPage) {
        m_pendingPage = false;
        if (!m_printer->newPage()) {
            m_failed = true;
            return false;
        }
    }
    return true;
}

void PrinterSurface::endPainting() {
    if (m_painter->isActive() && !m_painter->end())
        m_failed = true;
    if (m_printer->printerState() == QPrinter::Error)
        m_failed = true;
}

void PrinterSurface::newPage() {
    ++m_page;
    if (m_painter->isActive())
        m_pendingPage = true;
    resetPosition();
}

void PrinterSurface::endDoc() {
    ++m_documents;
    m_page = 1;
    resetPosition();
    if (!m_painter->isActive())
        return;
    if (m_pdf)
        m_pendingPage = true; // the next document goes on in the same file, from a new sheet
    else
        endPainting(); // the job is sent
}

void PrinterSurface::finish() {
    if (m_painter)
        endPainting();
    m_pendingPage = false;
}

void PrinterSurface::drawText(int x, int y, const QString& value, int) {
    if (beginDrawing())
        paintText(*m_painter, m_printer->resolution(), *this, x, y, value);
}

void PrinterSurface::drawRule(int x1, int y1, int x2, int y2) {
    if (beginDrawing())
        paintRule(*m_painter, m_printer->resolution(), ruleWidth(), x1, y1, x2, y2);
}

} // namespace mdlPRINTING
