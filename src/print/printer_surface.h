#pragma once

#include "print_engine.h"

#include <QString>
#include <memory>

class QPrinter;

namespace mdlPRINTING {

// The printer through QPrinter: a system printer, or the file the print dialog chose.
class PrinterSurface : public PagedSurface {
public:
    // The default system printer.
    PrinterSurface();
    // A named system printer.
    explicit PrinterSurface(const QString& printerName);
    // The printer as the print dialog left it: printer or file, copies, collation, page size.
    explicit PrinterSurface(std::unique_ptr<QPrinter> printer);
    ~PrinterSurface() override;

    QPrinter& printer() { return *m_printer; }
    QString destination() const override;

protected:
    int resolution() const override;
    bool deviceFailed() const override;

private:
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace mdlPRINTING
