#include "print_engine.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace mdlPRINTING {

PagedSurface::PagedSurface(bool toFile)
    : m_painter(std::make_unique<QPainter>()), m_toFile(toFile) {}

// The derived surface finishes while its device is still there.
PagedSurface::~PagedSurface() = default;

bool PagedSurface::setOrientation(int orientation) {
    const auto wanted = orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (!m_device->setPageOrientation(wanted))
        return false;
    return Surface::setOrientation(orientation);
}

bool PagedSurface::beginDrawing() {
    if (m_failed)
        return false;
    if (!m_painter->isActive()) {
        if (!m_painter->begin(m_device)) {
            m_failed = true;
            return false;
        }
        m_pendingPage = false;
    }
    if (m_pendingPage) {
        m_pendingPage = false;
        if (!m_device->newPage()) {
            m_failed = true;
            return false;
        }
    }
    return true;
}

void PagedSurface::endPainting() {
    if (m_painter->isActive() && !m_painter->end())
        m_failed = true;
    if (deviceFailed())
        m_failed = true;
}

void PagedSurface::newPage() {
    ++m_page;
    if (m_painter->isActive())
        m_pendingPage = true;
    resetPosition();
}

void PagedSurface::endDoc() {
    ++m_documents;
    m_page = 1;
    resetPosition();
    if (!m_painter->isActive())
        return;
    if (m_toFile)
        m_pendingPage = true; // the next document goes on in the same file, from a new sheet
    else
        endPainting(); // the job is sent
}

void PagedSurface::finish() {
    if (m_painter && m_device)
        endPainting();
    m_pendingPage = false;
}

void PagedSurface::drawText(int x, int y, const QString& value, int) {
    if (beginDrawing())
        paintText(*m_painter, resolution(), *this, x, y, value);
}

void PagedSurface::drawRule(int x1, int y1, int x2, int y2) {
    if (beginDrawing())
        paintRule(*m_painter, resolution(), ruleWidth(), x1, y1, x2, y2);
}

PdfSurface::PdfSurface(const QString& file)
    : PagedSurface(true), m_file(file), m_writer(std::make_unique<QPdfWriter>(file)) {
    m_writer->setResolution(600);
    // The rules to 11500 and 15000 twips fit inside the margins as they do on paper.
    m_writer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                        QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
    m_writer->setTitle(QStringLiteral("Bank Reconciliation"));
    setDevice(m_writer.get());
}

PdfSurface::~PdfSurface() {
    finish();
}

int PdfSurface::resolution() const {
    return m_writer->resolution();
}

} // namespace mdlPRINTING
